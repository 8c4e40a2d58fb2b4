// The one way the program writes files. Every write returns what it did or why
// it did not (a Failure, never errno), and none can be steered by another user:
//
// Folders. The folder of a file is reached one component at a time, each held
// open by its descriptor, from "/" for an absolute name and from the current
// folder for a relative one (the current folder itself is the caller's choice
// and is taken as it is). A component that is a symbolic link is followed only
// where the link belongs to the caller or to root and lies in a folder that no
// one but the caller or root may write to: a folder owned by the caller or root
// with no write bit for group or others, unless it is sticky (as /tmp is). The
// same holds for a link at the file's own name. Anything else fails with the
// link's fault, naming it. Real folders of other users may be entered, but in
// a folder another user owns or may write to, a name is only ever made new
// (an unnamed file linked in) or replaced by a rename, never written through.
// Missing folders are made (0777 less the umask) only when asked for.
//
// Files. The bytes go to an unnamed file in the target's folder (or, where the
// file system has none, a temporary one named as below), which is linked or
// renamed into place once it is whole: a failure or a kill at any moment leaves
// the old file whole or the new one whole, never a part. Synced writes reach the
// disk before they take their name, and the folder is synced after. A new file
// is created as any new file is (0666 less the umask, and the folder's default
// permissions); a file that replaces one the caller owns keeps that file's
// permission bits (never set-user-ID or set-group-ID), and one that replaces a
// file of another user takes the new file's. The process umask is never touched.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"

namespace pellimar {

// Whether the write reaches the disk before the file takes its name. Scratch files
// (caches, outputs that can be made again) skip the flushes, which cost
// milliseconds each; they still take their name only when whole.
enum class Durability { Synced, Scratch };

// What a write does about a file that is at its name already: replace it, or
// never (the file there stays as it is, however late it came: the new file is
// placed by a link or rename that fails rather than replace anything).
enum class Replace { Always, Never };

struct WriteOptions {
    Durability durability = Durability::Synced;
    Replace replace = Replace::Always;
    // Whether missing folders of the target's path are made, by the rule above.
    bool createFolders = false;
};

// What a write did.
enum class Placed {
    Written,  // the new file is under its name
    Kept,     // Replace::Never found a file at the name, which stays as it was
    Pending,  // an open WriteBatch holds it whole but unnamed; its commit says which
};

// A file's bytes in pieces, written one after the other (an icon file's directory,
// then its images as held), so that no copy of the whole is made.
using ByteSpan = std::span<const std::uint8_t>;

Result<Placed> writeFile(const std::filesystem::path& target, std::span<const ByteSpan> pieces,
                         const WriteOptions& options = {});
Result<Placed> writeFile(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         const WriteOptions& options = {});
Result<Placed> writeFile(const std::filesystem::path& target, std::string_view text,
                         const WriteOptions& options = {});

// Makes a symbolic link at `link` holding `target` as given (a theme's alias
// names a file beside it). Its folder is reached by the rule above; the link is
// made under a temporary name in that folder and renamed to its name, so that
// what is at the name is replaced (Replace::Always) or kept (Replace::Never),
// never followed or written through; a folder at the name fails. A Synced link
// has its folder synced after it takes its name. Links are placed at once, even
// while a WriteBatch is open: make them after the batch that writes what they
// name is committed.
Result<Placed> writeSymbolicLink(const std::filesystem::path& link,
                                 const std::filesystem::path& target,
                                 const WriteOptions& options = {});

// Writes `target` for a caller that reads it back through a handle of its own
// (a thumbnail service that made the file and hands over its name), never
// leaving it empty or in part unless it was so:
// - no file at the name: the file is made whole, unnamed and then linked in;
// - the caller's own regular file with one link, in a folder of the caller's or
//   root's that no one else may write to or that is sticky (as /tmp is):
//   written in place, through the same file: room for the new bytes is reserved
//   first where the file system can (a full disk then fails before any byte
//   changes; where it cannot, the bytes are written without, and a full disk
//   fails during the write, with the new bytes in part over the old), the bytes
//   go from the start, and the file is cut to their length last, so that a kill
//   leaves the old bytes or the new ones, followed by what the file held past
//   them (the rest of the old bytes, then zeros where the reservation made the
//   file longer);
// - any other file (another user's, one with more links, in any other folder,
//   or not a regular file): replaced by a rename with a file of the caller's
//   own, or the reason that cannot be done.
// A symbolic link at the name is never followed (Fault::LinkAtName).
Result<Done> writeFileInPlace(const std::filesystem::path& target,
                              std::span<const std::uint8_t> bytes);

// Why a write failed, as said after the file's name ("Cannot create file "X".
// <why>", "cannot write X: <why>"): the system's reason for a system failure,
// otherwise the failure's own message.
std::string writeFailureReason(const Failure& failure);

// A folder reached and held by the rule above: how callers make the folders
// they write into, and clear them of what killed writes left.
class OutputFolder {
  public:
    // The folder `dir`, with what is missing of it made when `create` is set.
    static Result<OutputFolder> open(const std::filesystem::path& dir, bool create);

    // Temporary files of writes that were killed before they were placed (only
    // where the file system has no unnamed files): hidden names of the form
    // ".pellimar-XXXXXXXXXX.tmp". Removes those that are regular files of the
    // caller's and older than a minute; returns how many went. A file that cannot
    // be removed stays: it is hidden and harms nothing. The first Synced write
    // into a folder in a process does the same, and later ones leave it be.
    int removeStaleTemporaries() const;

    // Writes the file `name` (a name, no "/": else Fault::NoFileName) in this
    // folder as writeFile() writes one, through the folder as it is held: the path
    // to it is not walked again, however many files go into it.
    Result<Placed> write(const std::string& name, std::span<const ByteSpan> pieces,
                         const WriteOptions& options = {}) const;

    // The folder as it is held open (defined with the writer).
    struct Held;

  private:
    explicit OutputFolder(std::shared_ptr<const Held> held) : held_(std::move(held)) {}
    std::shared_ptr<const Held> held_;
};

// Whether `fileName` is of the form of the writer's temporary files.
bool isTemporaryName(std::string_view fileName);

// The outcome of one file of a batch.
struct WriteOutcome {
    std::filesystem::path target;
    Result<Placed> placed;  // Written or Kept, or why the file was not placed
};

// Synced writes of many files at the cost of a few flushes: while a batch is open
// on a thread, every Synced writeFile() of that thread writes its file whole but
// unnamed and returns Placed::Pending, and the batch syncs them together, then
// places each as its options say, then syncs each folder once. It does so when it
// is committed, and on its own every kMaxPending files. Until then a written file
// is not under its name; a crash leaves the old file or none, never a part of the
// new one. A file of Replace::Never is placed only where no file is at that
// moment. Batches do not nest (an inner one is refused: the outer one takes the
// writes).
class WriteBatch {
  public:
    static constexpr std::size_t kMaxPending = 256;

    WriteBatch();
    // Commits what is pending; outcomes the caller did not ask for are lost, so
    // call commit() first.
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    // Places every pending file; returns the outcome of each file the batch took
    // since it opened or was last committed (those placed on their own included),
    // in the order they were written. A later write of the same name within the
    // batch takes the place of the earlier one, which has no outcome.
    std::vector<WriteOutcome> commit();

    // Whether this batch took the thread's writes (false for a nested one).
    bool active() const { return active_; }

  private:
    bool active_;
};

// Tests: called with a running number before each step of a write that changes
// the disk (each write of bytes, each reservation, link, rename, cut or sync),
// so that a test can stop the process at any of them or change the folder
// between two. Null by default.
void setWriteStepHook(void (*hook)(std::uint64_t step));

// Tests: whether writes may use unnamed files (where the system has them; true by
// default). False makes them take the way of file systems without: temporary
// names, and for Replace::Never a no-replace rename.
void setUnnamedFilesAllowed(bool allowed);

}  // namespace pellimar
