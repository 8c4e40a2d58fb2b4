// Writing whole files so that a failure or a kill at any moment never leaves a
// part of a file under its final name, nor destroys the file it was to replace:
// the bytes go to an unnamed file in the target's folder (or, where the file
// system has none, a temporary one named as below), which is linked or renamed
// into place once it is whole. Synced writes reach the disk before they take
// their name, and the folder is synced after.
//
// Links: a final name that is a symbolic link is followed only where the kernel
// itself would follow it under its protected-links rule: never when the link lies
// in a sticky folder everyone may write to (/tmp, a shared drop folder) and
// belongs neither to the caller nor to the folder's owner. Such a write is
// refused with kUntrustedLinkError and the link's target stays untouched.
// Nothing is ever written into any folder but the final name's own.
//
// The process umask is never touched. On failure errno holds the reason (of the
// failing step, not of the clean-up after it); writeErrorText() says it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pellimar {

// Whether the write reaches the disk before the file takes its name. Scratch files
// (caches, outputs that can be made again) skip the flushes, which cost
// milliseconds each; they still take their name only when whole.
enum class Durability { Synced, Scratch };

// The errno value of a write refused because its final name is a link planted by
// someone else in a shared folder (see above). No system call gives it.
inline constexpr int kUntrustedLinkError = 0x10001;

// A person's reason for a failed write: the system's text for an errno value, or
// what kUntrustedLinkError or kLinkAtNameError means.
std::string writeErrorText(int error);

// A file's bytes in pieces, written one after the other (an icon file's directory,
// then its images as held), so that no copy of the whole is made.
using ByteSpan = std::span<const std::uint8_t>;

bool writeFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         Durability durability = Durability::Synced);
bool writeFileAtomically(const std::filesystem::path& target, std::string_view text,
                         Durability durability = Durability::Synced);
bool writeFileAtomically(const std::filesystem::path& target, std::span<const ByteSpan> pieces,
                         Durability durability = Durability::Synced);

// The errno value of a write in place refused because its name is a symbolic link.
inline constexpr int kLinkAtNameError = 0x10002;

// Writes `target` in place: opened without following a link at its name (a link
// there is refused with kLinkAtNameError), emptied, written, closed. For a caller that
// created the file and reads it back through its own handle (thumbnail services);
// a kill half-way leaves a short file.
bool writeFileInPlace(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

// Temporary files of writes that were killed before they were placed (only where
// the file system has no unnamed files): hidden names of the form
// ".pellimar-XXXXXXXXXX.tmp". Removes those in `dir` that are regular files of the
// caller's and older than a minute; returns how many went. Never fails loudly: a
// file that cannot be removed stays.
int removeStaleTemporaries(const std::filesystem::path& dir);
bool isTemporaryName(std::string_view fileName);

// Synced writes of many files at the cost of a few flushes: while a batch is open
// on a thread, every Synced writeFileAtomically() of that thread writes its file
// whole but unnamed, and the batch syncs them together, then gives each its name,
// then syncs each folder once. It does so when it is committed, and on its own
// every kMaxPending files. Until then a written file is not under its name; a
// crash leaves the old file or none, never a part of the new one. Batches do not
// nest (an inner one is refused: the outer one takes the writes).
class WriteBatch {
  public:
    static constexpr std::size_t kMaxPending = 256;

    WriteBatch();
    // Commits what is pending; failures the caller did not ask for are lost, so
    // call commit() first.
    ~WriteBatch();
    WriteBatch(const WriteBatch&) = delete;
    WriteBatch& operator=(const WriteBatch&) = delete;

    struct Failed {
        std::filesystem::path target;
        int error;  // errno value; writeErrorText() says it
    };
    // Places every pending file; returns those that failed since the batch opened
    // (including those placed on its own), each once.
    std::vector<Failed> commit();

    // Whether this batch took the thread's writes (false for a nested one).
    bool active() const { return active_; }

  private:
    bool active_;
};

// Tests: called with a running number before each step of a write that changes
// the disk (each write of bytes, each link, rename or sync), so that a test can
// stop the process at any of them. Null by default.
void setWriteStepHook(void (*hook)(std::uint64_t step));

}  // namespace pellimar
