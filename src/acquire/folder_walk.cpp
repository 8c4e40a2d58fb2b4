#include "acquire/folder_walk.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <set>
#include <utility>

#include "core/file_names.h"
#include "core/settings.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// Folder path with exactly one separator at its end, as the entries' prefix.
std::string withSeparator(const fs::path& folder) {
    std::string prefix = folder.native();
    if (prefix.empty() || prefix.back() != '/') prefix += '/';
    return prefix;
}

bool isDotEntry(std::string_view name) {
    return name == "." || name == "..";
}

struct Entry {
    std::string name;
    unsigned char type;  // d_type as the listing gave it
};

// One folder being walked: its entries as listed, and how far the walk has got.
struct Frame {
    std::string prefix;
    std::vector<Entry> entries;
    std::size_t next = 0;
};

using FolderId = std::pair<dev_t, ino_t>;

// Lists a folder whole, in the file system's order. With `visited`, a folder
// whose device and inode were met before gives nothing, and is recorded otherwise.
std::optional<std::vector<Entry>> readFolder(const std::string& path, std::set<FolderId>* visited) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return std::nullopt;
    if (visited != nullptr) {
        struct stat st {};
        if (::fstat(::dirfd(dir), &st) != 0 || !visited->insert({st.st_dev, st.st_ino}).second) {
            ::closedir(dir);
            return std::nullopt;
        }
    }
    std::vector<Entry> entries;
    while (true) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (e == nullptr) break;  // the end, or a read error: keep what was listed
        entries.push_back({e->d_name, e->d_type});
    }
    ::closedir(dir);
    return entries;
}

// Whether an entry leads to a folder, links followed.
bool leadsToFolder(const std::string& path, unsigned char type) {
    if (type == DT_DIR) return true;
    if (type != DT_UNKNOWN && type != DT_LNK) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

FileKinds fileKindsOf(const AppSettings& s) {
    return {s.format_exe, s.format_dll, s.format_ico, s.format_icl};
}

bool passesKindTest(const fs::path& path, const FileKinds& kinds) {
    const std::string& text = path.native();
    const std::size_t slash = text.find_last_of('/');
    if (isDotEntry(std::string_view(text).substr(slash == std::string::npos ? 0 : slash + 1)))
        return false;
    const std::string ext = upperCaseExtension(path);
    return (kinds.exe && ext == ".EXE") || (kinds.dll && ext == ".DLL") ||
           (kinds.ico && ext == ".ICO") || (kinds.icl && ext == ".ICL");
}

void listFolder(const fs::path& folder, std::vector<fs::path>& list) {
    const std::string prefix = withSeparator(folder);
    const auto entries = readFolder(prefix, nullptr);
    if (!entries) return;
    for (const Entry& e : *entries) list.emplace_back(prefix + e.name);
}

void collectFiles(const fs::path& folder, const FileKinds& kinds, std::vector<fs::path>& list) {
    collectFiles(folder, kinds, list, {});
}

void collectFiles(const fs::path& folder, const FileKinds& kinds, std::vector<fs::path>& list,
                  const std::function<void(const fs::path&)>& beforeOpen) {
    std::set<FolderId> visited;
    std::vector<Frame> stack;

    auto enter = [&](std::string path) {
        if (beforeOpen) beforeOpen(fs::path(path));
        std::string prefix = withSeparator(path);
        auto entries = readFolder(prefix, &visited);
        if (entries) stack.push_back({std::move(prefix), std::move(*entries), 0});
    };

    enter(folder.native());
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.entries.size()) {
            stack.pop_back();
            continue;
        }
        const Entry& e = top.entries[top.next++];
        if (isDotEntry(e.name)) continue;
        std::string path = top.prefix + e.name;
        if (leadsToFolder(path, e.type)) {
            enter(std::move(path));  // may grow the stack: `top` is not used after this
        } else if (passesKindTest(path, kinds)) {
            list.emplace_back(std::move(path));
        }
    }
}

std::vector<fs::path> gatherScanFiles(const fs::path& folder, const FileKinds& kinds,
                                      bool withSubFolders) {
    std::vector<fs::path> files;
    if (withSubFolders) {
        collectFiles(folder, kinds, files);
        return files;
    }
    std::vector<fs::path> listed;
    listFolder(folder, listed);
    for (auto& path : listed)
        if (passesKindTest(path, kinds)) files.push_back(std::move(path));
    return files;
}

}  // namespace pellimar
