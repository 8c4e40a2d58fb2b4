#include "platform/folder_walk.h"

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

#include "platform/failure.h"
#include "platform/file_names.h"

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

using FolderId = std::pair<dev_t, ino_t>;

// One folder being walked: where it is, which folder it is, its entries as
// listed, and how far the walk has got.
struct Frame {
    std::string prefix;  // its path with one separator at the end, the entries' prefix
    std::string name;    // its name in the folder above (empty for the folder chosen)
    FolderId id;
    std::vector<Entry> entries;
    std::size_t next = 0;
};

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

// Whether the folder open at `fd` lies on a pseudo file system (`devices`: those
// of pseudoDevices()).
bool pseudoAt(int fd, const std::set<dev_t>& devices) {
    if (pseudoByMagic(fd)) return true;
    struct stat st {};
    return ::fstat(fd, &st) == 0 && devices.count(st.st_dev) != 0;
}

// How a walk decides which folders it lists: each real folder once, never one
// on a pseudo file system.
struct FolderGate {
    std::set<FolderId> visited;
    std::set<dev_t> pseudo = pseudoDevices();

    // Why the folder open at `fd` is not to be listed, or nothing (it is then
    // recorded as walked).
    std::optional<FolderSkip> refusal(int fd) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return FolderSkip::CannotOpen;
        if (pseudoAt(fd, pseudo)) return FolderSkip::PseudoFileSystem;
        if (!visited.insert({st.st_dev, st.st_ino}).second) return FolderSkip::WalkedBefore;
        return std::nullopt;
    }
};

// Lists the folder open at `fd` whole, in the file system's order, into
// `entries`; `fd` stays open. The error that ended the listing early, or 0: the
// entries listed before it are kept.
int listEntries(int fd, std::vector<Entry>& entries) {
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);  // the listing closes its own
    if (own < 0) return errno;
    DIR* dir = ::fdopendir(own);
    if (dir == nullptr) {
        const int error = errno;
        ::close(own);
        return error;
    }
    int error = 0;
    while (true) {
        // readdir gives nothing both at the end and on an error: clearing errno
        // before the call is the documented way to tell the two apart.
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (e == nullptr) {
            error = errno;
            break;
        }
        entries.push_back({e->d_name, e->d_type});
    }
    ::closedir(dir);
    return error;
}

FolderId idOf(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return {0, 0};
    return {st.st_dev, st.st_ino};
}

// What an entry of the folder open at `fd` is, by its name, the listing's type
// first: a link is not followed here.
unsigned char kindOf(int fd, const Entry& e) {
    if (e.type != DT_UNKNOWN) return e.type;
    struct stat st {};
    if (::fstatat(fd, e.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
    if (S_ISDIR(st.st_mode)) return DT_DIR;
    if (S_ISLNK(st.st_mode)) return DT_LNK;
    if (S_ISREG(st.st_mode)) return DT_REG;
    return DT_UNKNOWN;
}

// What a link in the folder open at `fd` ends at: a folder, a regular file, or
// neither (it dangles, or ends at a device or pipe).
enum class LinkEnd { Folder, File, Other };
LinkEnd linkEnd(int fd, const std::string& name) {
    struct stat st {};
    if (::fstatat(fd, name.c_str(), &st, 0) != 0) return LinkEnd::Other;
    if (S_ISDIR(st.st_mode)) return LinkEnd::Folder;
    if (S_ISREG(st.st_mode)) return LinkEnd::File;
    return LinkEnd::Other;
}

bool stopped(const WalkHooks& hooks) {
    return hooks.stop != nullptr && hooks.stop->load(std::memory_order_relaxed);
}

constexpr std::size_t kProgressEvery = 256;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

// One depth-first walk. Each sub-folder is opened by its name in the folder open
// above it, with O_NOFOLLOW: the kernel refuses a link there, whatever the
// listing said the entry was. Only two folders are open at a time, the one
// chosen and the one being listed: the walk comes back up through "..", and
// takes that for the folder it left only when it is the same folder (device and
// inode); else it opens the way down again from the folder chosen, name by name.
class Walk {
  public:
    Walk(const FileKinds& kinds, std::vector<fs::path>& list, const WalkHooks& hooks)
        : kinds_(kinds), list_(list), hooks_(hooks) {}
    ~Walk() {
        if (current_ >= 0 && current_ != root_) ::close(current_);
        if (root_ >= 0) ::close(root_);
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    void run(const fs::path& folder) {
        // The folder chosen may itself be reached through a link; the ones found
        // inside may not.
        if (hooks_.beforeOpen) hooks_.beforeOpen(folder);
        const int fd = ::open(folder.c_str(), kFolderFlags);
        if (fd < 0) {
            skip(folder.native(), FolderSkip::CannotOpen, errno);
        } else if (list(fd, folder.native(), {})) {
            root_ = current_ = fd;
        } else {
            ::close(fd);
        }
        while (!stack_.empty() && !stopped(hooks_)) {
            Frame& top = stack_.back();
            if (top.next == top.entries.size()) {
                leave();
                continue;
            }
            const Entry e = top.entries[top.next++];
            if (isDotEntry(e.name)) continue;
            if (++seen_ % kProgressEvery == 0 && hooks_.progress) hooks_.progress(seen_);
            std::string path = top.prefix + e.name;
            switch (kindOf(current_, e)) {
                case DT_DIR:
                    enter(e.name, std::move(path));  // may grow the stack: `top` is not used after
                    break;
                case DT_LNK:
                    takeLink(e.name, std::move(path));
                    break;
                case DT_REG:
                    if (passesKindTest(path, kinds_)) list_.emplace_back(std::move(path));
                    break;
                default:
                    break;
            }
        }
        if (hooks_.progress) hooks_.progress(seen_);
    }

  private:
    void skip(std::string path, FolderSkip why, int error = 0) {
        if (hooks_.skipped) hooks_.skipped({fs::path(std::move(path)), why, error});
    }

    // A link is taken as the file it ends at; a link to a folder is told, never followed.
    void takeLink(const std::string& name, std::string path) {
        switch (linkEnd(current_, name)) {
            case LinkEnd::Folder:
                skip(std::move(path), FolderSkip::Link);
                break;
            case LinkEnd::File:
                if (passesKindTest(path, kinds_)) list_.emplace_back(std::move(path));
                break;
            case LinkEnd::Other:
                break;
        }
    }

    // Lists folder `path`, open at `fd`, onto the stack, unless the gate refuses it.
    bool list(int fd, const std::string& path, std::string name) {
        if (const auto refused = gate_.refusal(fd)) {
            const int error = errno;
            skip(path, *refused, *refused == FolderSkip::CannotOpen ? error : 0);
            return false;
        }
        Frame frame{withSeparator(path), std::move(name), idOf(fd), {}, 0};
        if (const int error = listEntries(fd, frame.entries))
            skip(path, FolderSkip::ListingCut, error);
        stack_.push_back(std::move(frame));
        return true;
    }

    // Opens sub-folder `name` of the current folder and makes it the current one.
    void enter(const std::string& name, std::string path) {
        if (hooks_.beforeOpen) hooks_.beforeOpen(fs::path(path));
        const int fd = ::openat(current_, name.c_str(), kFolderFlags | O_NOFOLLOW);
        if (fd < 0) {
            const int error = errno;
            // Swapped for a link since it was listed, the kernel refuses it (ELOOP).
            struct stat st {};
            const bool link = ::fstatat(current_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                              S_ISLNK(st.st_mode);
            skip(std::move(path), link ? FolderSkip::Link : FolderSkip::CannotOpen, error);
            return;
        }
        if (!list(fd, path, name)) {
            ::close(fd);
            return;
        }
        if (current_ != root_) ::close(current_);
        current_ = fd;
    }

    // Done with the current folder: back to the one above it.
    void leave() {
        stack_.pop_back();
        if (stack_.empty()) return;
        if (stack_.size() == 1) {
            if (current_ != root_) ::close(current_);
            current_ = root_;
            return;
        }
        const int up = ::openat(current_, "..", kFolderFlags);
        if (current_ != root_) ::close(current_);
        current_ = -1;
        if (up >= 0 && idOf(up) == stack_.back().id) {
            current_ = up;
            return;
        }
        if (up >= 0) ::close(up);
        reopen();
    }

    // Opens the way from the folder chosen down to the folder on top of the
    // stack again, name by name, each the folder it was. The first folder that
    // is no longer where it was is told, and the rest of it is left out.
    void reopen() {
        int fd = root_;
        for (std::size_t depth = 1; depth < stack_.size(); ++depth) {
            const int next = ::openat(fd, stack_[depth].name.c_str(), kFolderFlags | O_NOFOLLOW);
            if (next >= 0 && idOf(next) == stack_[depth].id) {
                if (fd != root_) ::close(fd);
                fd = next;
                continue;
            }
            if (next >= 0) ::close(next);
            const std::string& prefix = stack_[depth].prefix;
            skip(prefix.substr(0, prefix.size() - 1), FolderSkip::Changed);
            stack_.resize(depth);
            break;
        }
        current_ = fd;
    }

    const FileKinds& kinds_;
    std::vector<fs::path>& list_;
    const WalkHooks& hooks_;
    FolderGate gate_;
    std::vector<Frame> stack_;
    int root_ = -1;     // the folder chosen, open while the walk lasts
    int current_ = -1;  // the folder on top of the stack
    std::size_t seen_ = 0;
};

}  // namespace

bool isPseudoFileSystem(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), kFolderFlags);
    if (fd < 0) return false;
    const bool pseudo = pseudoAt(fd, pseudoDevices());
    ::close(fd);
    return pseudo;
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
    Walk(kinds, list, hooks).run(folder);
}

std::vector<fs::path> gatherScanFiles(const fs::path& folder, const FileKinds& kinds,
                                      bool withSubFolders, const WalkHooks& hooks) {
    std::vector<fs::path> files;
    if (withSubFolders) {
        collectFiles(folder, kinds, files, hooks);
        return files;
    }
    auto skip = [&](FolderSkip why, int error) {
        if (hooks.skipped) hooks.skipped({folder, why, error});
    };
    const int fd = ::open(folder.c_str(), kFolderFlags);
    if (fd < 0) {
        skip(FolderSkip::CannotOpen, errno);
        return files;
    }
    if (pseudoAt(fd, pseudoDevices())) {
        ::close(fd);
        skip(FolderSkip::PseudoFileSystem, 0);
        return files;
    }
    std::vector<Entry> entries;
    if (const int error = listEntries(fd, entries)) skip(FolderSkip::ListingCut, error);
    const std::string prefix = withSeparator(folder);
    for (const Entry& e : entries) {
        std::string path = prefix + e.name;
        if (!passesKindTest(path, kinds)) continue;
        const unsigned char kind = kindOf(fd, e);
        if (kind == DT_REG || (kind == DT_LNK && linkEnd(fd, e.name) == LinkEnd::File))
            files.emplace_back(std::move(path));
    }
    ::close(fd);
    if (hooks.progress) hooks.progress(entries.size());
    return files;
}

std::string skippedFolderReason(const SkippedFolder& skipped) {
    switch (skipped.why) {
        case FolderSkip::Link:
            return "a link to a folder: not followed";
        case FolderSkip::CannotOpen:
            return systemFailure(Fault::CannotOpen, skipped.error).message();
        case FolderSkip::ListingCut:
            return "its listing failed part way (" +
                   systemFailure(Fault::ReadFailed, skipped.error).message() +
                   "); the entries listed before are taken";
        case FolderSkip::PseudoFileSystem:
            return "a view the system gives of itself (such as /proc): not entered";
        case FolderSkip::WalkedBefore:
            return "walked already, reached another way";
        case FolderSkip::Changed:
            return "moved or replaced while it was walked: the rest of it is left out";
    }
    return {};
}

}  // namespace pellimar
