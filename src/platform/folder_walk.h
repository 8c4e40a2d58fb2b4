// Gathering the files a folder scan reads: the kind test on a file name, the
// one-folder listing and the depth-first walk over a whole tree.
#pragma once

#include <atomic>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellimar {

// The file kinds a scan takes.
struct FileKinds {
    bool exe = false;
    bool dll = false;
    bool ico = false;
    bool icl = false;
    // Control panel items, controls, screen savers, resource-only and language
    // libraries and cursors: .cpl, .ocx, .scr, .mun, .mui, .cur.
    bool more = false;
    // Every name: the files are told apart by their bytes alone.
    bool anyName = false;
};

// True when `path`'s extension names an enabled kind (".EXE", ".DLL", ".ICO",
// ".ICL" and those of `more` in any letter case), or for any name with `anyName`. The entries "."
// and ".." never pass. Looks at the name only: the walk below also asks that the entry be a regular
// file.
bool passesKindTest(const std::filesystem::path& path, const FileKinds& kinds);

// Why a walk left out a folder it came upon, or part of one.
enum class FolderSkip {
    Link,              // a symbolic link to a folder: never followed
    CannotOpen,        // the system would not open it (`error`)
    ListingCut,        // its listing failed part way (`error`); what was listed is taken
    PseudoFileSystem,  // a kernel's view of itself
    WalkedBefore,      // a folder the walk was in already, reached another way (a mount)
    Changed,           // moved or replaced while the walk was in it: the rest is left out
};

struct SkippedFolder {
    std::filesystem::path path;
    FolderSkip why = FolderSkip::CannotOpen;
    int error = 0;  // the errno value, for CannotOpen and ListingCut
};

// How a folder left out is told: "a link to a folder: not followed", "cannot
// open: Permission denied".
std::string skippedFolderReason(const SkippedFolder& skipped);

// What a caller can do to a walk in progress: see each folder just before it is
// opened (tests change the tree there), follow how many entries were looked at,
// hear of every folder it leaves out and why, and stop it (the files gathered so
// far are kept).
struct WalkHooks {
    std::function<void(const std::filesystem::path&)> beforeOpen;
    std::function<void(std::size_t entriesSeen)> progress;  // now and then, not per entry
    std::function<void(const SkippedFolder&)> skipped;
    const std::atomic<bool>* stop = nullptr;
};

// Whether the file system holding `folder` is a kernel's view of itself (proc,
// sysfs, devtmpfs, devpts, cgroup, debugfs and the like): nothing there is a file
// a user keeps, and some of it never ends.
bool isPseudoFileSystem(const std::filesystem::path& folder);

// Appends the regular files of the enabled kinds in `folder` and, depth first, in
// all its sub-folders: a sub-folder's files stand where its entry was listed; no
// sorting. A link to a file is taken like the file; a link to a folder is never
// followed (a Wine prefix links its drive z: to the root), and pseudo file
// systems are never entered. Each sub-folder is opened by its name in the folder
// open above it, refusing a link, never by a path: a folder swapped for a link
// while the walk runs is not entered either. Each real folder (device and inode)
// is walked at most once. Folders that cannot be read are skipped; every folder
// left out is told to `hooks.skipped`. Hidden entries are included; the depth is
// not limited (the walk keeps its own stack, and two folders open at a time).
void collectFiles(const std::filesystem::path& folder, const FileKinds& kinds,
                  std::vector<std::filesystem::path>& list, const WalkHooks& hooks = {});

// The file list of one scan: the whole tree when `withSubFolders`, otherwise the
// folder's own regular files that pass the kind test, in listing order. The
// folder itself, when it cannot be read, is told to `hooks.skipped`.
std::vector<std::filesystem::path> gatherScanFiles(const std::filesystem::path& folder,
                                                   const FileKinds& kinds, bool withSubFolders,
                                                   const WalkHooks& hooks = {});

}  // namespace pellimar
