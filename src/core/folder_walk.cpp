#include "core/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
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

// File-system magic numbers of the kernel's own views (statfs f_type).
constexpr unsigned long kPseudoMagics[] = {
    0x9fa0,      // proc
    0x62656572,  // sysfs
    0x1cd1,      // devpts
    0x27e0eb,    // cgroup
    0x63677270,  // cgroup2
    0x64626720,  // debugfs
    0x74726163,  // tracefs
    0x73636673,  // securityfs
    0x6165676c,  // pstore
    0xcafe4a11,  // bpf
    0x62656570,  // configfs
    0x65735543,  // fusectl
    0x19800202,  // mqueue
    0x42494e4d,  // binfmt_misc
    0xde5e81e4,  // efivarfs
    0xf97cff8c,  // selinuxfs
    0x6e736673,  // nsfs
    0x958458f6,  // hugetlbfs
};

// The names under which the same views are mounted. devtmpfs (/dev) shares its
// magic number with tmpfs, so only the mount table tells it apart.
constexpr std::string_view kPseudoTypes[] = {
    "proc",        "sysfs",      "devtmpfs",  "devpts", "cgroup",    "cgroup2",   "debugfs",
    "tracefs",     "securityfs", "pstore",    "bpf",    "configfs",  "fusectl",   "mqueue",
    "binfmt_misc", "efivarfs",   "selinuxfs", "nsfs",   "hugetlbfs", "rpc_pipefs"};

// The devices of the mounted pseudo file systems, read once per walk from the
// mount table; empty when there is none to read.
std::set<dev_t> pseudoDevices() {
    std::set<dev_t> out;
    std::ifstream table("/proc/self/mountinfo");
    std::string line;
    while (std::getline(table, line)) {
        // "id parent major:minor root mount options... - type source super-options"
        std::istringstream fields(line);
        std::string id, parent, numbers;
        fields >> id >> parent >> numbers;
        const std::size_t dash = line.find(" - ");
        if (dash == std::string::npos) continue;
        std::istringstream tail(line.substr(dash + 3));
        std::string type;
        tail >> type;
        if (std::find(std::begin(kPseudoTypes), std::end(kPseudoTypes), type) ==
            std::end(kPseudoTypes))
            continue;
        unsigned major = 0, minor = 0;
        if (std::sscanf(numbers.c_str(), "%u:%u", &major, &minor) == 2)
            out.insert(makedev(major, minor));
    }
    return out;
}

bool pseudoByMagic(int fd) {
    struct statfs fsInfo {};
    if (::fstatfs(fd, &fsInfo) != 0) return false;
    const auto magic = static_cast<unsigned long>(fsInfo.f_type) & 0xffffffffUL;
    return std::find(std::begin(kPseudoMagics), std::end(kPseudoMagics), magic) !=
           std::end(kPseudoMagics);
}

// How a walk decides which folders it opens: each real folder once, never one
// on a pseudo file system.
struct FolderGate {
    std::set<FolderId> visited;
    std::set<dev_t> pseudo = pseudoDevices();

    // True when the folder open at `fd` is to be listed (and records it).
    bool admit(int fd) {
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        if (pseudo.count(st.st_dev) != 0 || pseudoByMagic(fd)) return false;
        return visited.insert({st.st_dev, st.st_ino}).second;
    }
};

// Lists a folder whole, in the file system's order. With `gate`, a folder it
// refuses gives nothing. Never follows a link in the folder's last component
// when `noFollow`.
std::optional<std::vector<Entry>> readFolder(const std::string& path, FolderGate* gate,
                                             bool noFollow) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK |
                                            (noFollow ? O_NOFOLLOW : 0));
    if (fd < 0) return std::nullopt;
    if (gate != nullptr && !gate->admit(fd)) {
        ::close(fd);
        return std::nullopt;
    }
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return std::nullopt;
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

// Whether an entry is a real folder (a link to one is not).
bool isRealFolder(const std::string& path, unsigned char type) {
    if (type == DT_DIR) return true;
    if (type != DT_UNKNOWN) return false;
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether an entry is a regular file, or a link that ends at one.
bool isRegularFile(const std::string& path, unsigned char type) {
    if (type == DT_REG) return true;
    if (type != DT_UNKNOWN && type != DT_LNK) return false;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool stopped(const WalkHooks& hooks) {
    return hooks.stop != nullptr && hooks.stop->load(std::memory_order_relaxed);
}

constexpr std::size_t kProgressEvery = 256;

}  // namespace

bool isPseudoFileSystem(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    bool pseudo = pseudoByMagic(fd);
    if (!pseudo && ::fstat(fd, &st) == 0) pseudo = pseudoDevices().count(st.st_dev) != 0;
    ::close(fd);
    return pseudo;
}

FileKinds fileKindsOf(const AppSettings& s) {
    return {s.format_exe, s.format_dll, s.format_ico, s.format_icl};
}

bool passesKindTest(const fs::path& path, const FileKinds& kinds) {
    const std::string& text = path.native();
    const std::size_t slash = text.find_last_of('/');
    if (isDotEntry(std::string_view(text).substr(slash == std::string::npos ? 0 : slash + 1)))
        return false;
    if (kinds.anyName) return true;
    const std::string ext = upperCaseExtension(path);
    return (kinds.exe && ext == ".EXE") || (kinds.dll && ext == ".DLL") ||
           (kinds.ico && ext == ".ICO") || (kinds.icl && ext == ".ICL") ||
           (kinds.more && (ext == ".CPL" || ext == ".OCX" || ext == ".SCR" || ext == ".MUN" ||
                           ext == ".MUI" || ext == ".CUR"));
}

void collectFiles(const fs::path& folder, const FileKinds& kinds, std::vector<fs::path>& list,
                  const WalkHooks& hooks) {
    FolderGate gate;
    std::vector<Frame> stack;
    std::size_t seen = 0;

    // The folder the user chose may itself be reached through a link; the ones
    // found inside may not.
    auto enter = [&](std::string path, bool noFollow) {
        if (hooks.beforeOpen) hooks.beforeOpen(fs::path(path));
        std::string prefix = withSeparator(path);
        auto entries = readFolder(prefix, &gate, noFollow);
        if (entries) stack.push_back({std::move(prefix), std::move(*entries), 0});
    };

    enter(folder.native(), false);
    while (!stack.empty() && !stopped(hooks)) {
        Frame& top = stack.back();
        if (top.next == top.entries.size()) {
            stack.pop_back();
            continue;
        }
        const Entry& e = top.entries[top.next++];
        if (isDotEntry(e.name)) continue;
        if (++seen % kProgressEvery == 0 && hooks.progress) hooks.progress(seen);
        std::string path = top.prefix + e.name;
        const unsigned char type = e.type;
        if (isRealFolder(path, type)) {
            enter(std::move(path), true);  // may grow the stack: `top` is not used after this
        } else if (passesKindTest(path, kinds) && isRegularFile(path, type)) {
            list.emplace_back(std::move(path));
        }
    }
    if (hooks.progress) hooks.progress(seen);
}

std::vector<fs::path> gatherScanFiles(const fs::path& folder, const FileKinds& kinds,
                                      bool withSubFolders, const WalkHooks& hooks) {
    std::vector<fs::path> files;
    if (withSubFolders) {
        collectFiles(folder, kinds, files, hooks);
        return files;
    }
    const std::string prefix = withSeparator(folder);
    if (isPseudoFileSystem(folder)) return files;
    const auto entries = readFolder(prefix, nullptr, false);
    if (!entries) return files;
    for (const Entry& e : *entries) {
        std::string path = prefix + e.name;
        if (passesKindTest(path, kinds) && isRegularFile(path, e.type))
            files.emplace_back(std::move(path));
    }
    if (hooks.progress) hooks.progress(entries->size());
    return files;
}

}  // namespace pellimar
