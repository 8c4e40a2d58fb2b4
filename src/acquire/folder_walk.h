// Gathering the files a folder scan reads: the kind test on a file name, the
// one-folder listing and the depth-first walk over a whole tree.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellimar {

struct AppSettings;

// The file kinds a scan takes.
struct FileKinds {
    bool exe = false;
    bool dll = false;
    bool ico = false;
    bool icl = false;
};

FileKinds fileKindsOf(const AppSettings& s);

// True when `path`'s extension names an enabled kind (".EXE", ".DLL", ".ICO",
// ".ICL" in any letter case). The entries "." and ".." never pass.
bool passesKindTest(const std::filesystem::path& path, const FileKinds& kinds);

// Appends folder + name for every entry the folder lists, "." and ".." and
// sub-folders included, in the order the file system returns them. A folder that
// cannot be listed appends nothing.
void listFolder(const std::filesystem::path& folder, std::vector<std::filesystem::path>& list);

// Appends the files of the enabled kinds in `folder` and, depth first, in all its
// sub-folders: a sub-folder's files stand where its entry was listed; no sorting.
// Links to folders are followed, but each real folder (device and inode) is
// walked at most once, so links back into the tree cannot make the walk endless.
// Folders that cannot be read are skipped; hidden entries are included; the
// depth is not limited (the walk keeps its own stack, not the call stack's).
void collectFiles(const std::filesystem::path& folder, const FileKinds& kinds,
                  std::vector<std::filesystem::path>& list);

// The same walk, with `beforeOpen` called with each folder's path just before the
// folder is opened (tests use it to change the tree while it is walked).
void collectFiles(const std::filesystem::path& folder, const FileKinds& kinds,
                  std::vector<std::filesystem::path>& list,
                  const std::function<void(const std::filesystem::path&)>& beforeOpen);

// The file list of one scan: the whole tree when `withSubFolders`, otherwise the
// folder's own entries that pass the kind test, in listing order.
std::vector<std::filesystem::path> gatherScanFiles(const std::filesystem::path& folder,
                                                   const FileKinds& kinds, bool withSubFolders);

}  // namespace pellimar
