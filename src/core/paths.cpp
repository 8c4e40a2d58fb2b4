#include "core/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

fs::path& programDirOverride() {
    static fs::path dir;
    return dir;
}

fs::path& tempDirOverride() {
    static fs::path dir;
    return dir;
}

fs::path executableDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) return fs::current_path(ec);
    return exe.parent_path();
}

bool isWritableDir(const fs::path& dir) {
    return ::access(dir.c_str(), W_OK | X_OK) == 0;
}

fs::path userConfigDir() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
        xdg && *xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / "pellimar";
    if (const char* home = std::getenv("HOME"); home && *home)
        return fs::path(home) / ".config" / "pellimar";
    return {};
}

// A folder that only this user can enter: an existing one must be a real folder
// (not a link), ours, and closed to group and others.
bool isPrivateDir(const fs::path& dir) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// This copy's folder and the open lock file that marks it as in use.
struct OwnTempDir {
    std::mutex mutex;
    fs::path path;
    int lockFd = -1;
    pid_t owner = 0;  // a forked child does not take its parent's folder as its own

    void forgetIfInherited() {
        if (path.empty() || owner == ::getpid()) return;
        if (lockFd >= 0) ::close(lockFd);  // the parent's lock stays with the parent
        lockFd = -1;
        path.clear();
    }
};

OwnTempDir& ownTempDir() {
    static OwnTempDir dir;
    return dir;
}

// The folder taken in place of the usual one when that is not ours; it holds
// this copy's folder alone and goes with it.
struct FallbackTempDir {
    std::mutex mutex;
    fs::path usual, path;
    pid_t owner = 0;
};

FallbackTempDir& fallbackTempDir() {
    static FallbackTempDir dir;
    return dir;
}

constexpr const char* kRunPrefix = "run-";
constexpr const char* kLockName = ".lock";
// A folder without its lock file may be one another copy is just making.
constexpr std::time_t kLocklessGraceSeconds = 60;

}  // namespace

fs::path programDir() {
    if (!programDirOverride().empty()) return programDirOverride();
    static const fs::path dir = executableDir();
    return dir;
}

void setProgramDir(const fs::path& dir) {
    programDirOverride() = dir;
}

fs::path dataDir() {
    const fs::path dir = programDir();
    std::error_code ec;
    const fs::path shared = dir.parent_path() / "share" / "pellimar";
    if (fs::is_directory(shared, ec)) return shared;
    return dir;
}

bool isInstalledLayout() {
    return dataDir() != programDir();
}

fs::path settingsDir() {
    fs::path dir = programDir();
    // An installed program's folder is the system's (/usr/bin): even when it can be
    // written (as root), settings do not belong there.
    if (isWritableDir(dir) && !isInstalledLayout()) return dir;
    fs::path config = userConfigDir();
    if (config.empty()) return dir;
    // Made by the writer's rule, as the files in it are written. A folder that
    // cannot be made is told by the first write into it, with the reason.
    (void)OutputFolder::open(config, true);
    return config;
}

fs::path userTempDir() {
    fs::path base;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && fs::is_directory(run))
        base = run;
    else
        base = fs::temp_directory_path();
    fs::path dir = base / ("pellimar-" + std::to_string(::getuid()));
    if ((::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST) && isPrivateDir(dir)) return dir;
    // The usual folder is not ours (another user made it first, or it is a link):
    // this copy takes a fresh private folder of its own beside it and goes on.
    FallbackTempDir& fallback = fallbackTempDir();
    std::lock_guard lock(fallback.mutex);
    if (fallback.usual == dir && fallback.owner == ::getpid() && isPrivateDir(fallback.path))
        return fallback.path;
    std::string pattern = dir.string() + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)  // mode 0700
        throw std::runtime_error("Cannot create the temporary folder " + pattern);
    fallback.usual = dir;
    fallback.path = pattern;
    fallback.owner = ::getpid();
    return fallback.path;
}

fs::path privateTempDir() {
    if (!tempDirOverride().empty()) return tempDirOverride();
    OwnTempDir& own = ownTempDir();
    std::lock_guard lock(own.mutex);
    own.forgetIfInherited();
    if (!own.path.empty() && isPrivateDir(own.path)) return own.path;

    std::string pattern =
        (userTempDir() / (kRunPrefix + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr)  // mode 0700
        throw std::runtime_error("Cannot create the temporary folder " + pattern);
    const fs::path dir = pattern;
    const int fd = ::open((dir / ".lock-new").c_str(),
                          O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    // Locked before it takes its name: another copy cleaning up never sees the lock
    // file free while this copy is starting (a folder without it stays a while).
    if (fd < 0 || ::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename((dir / ".lock-new").c_str(), (dir / kLockName).c_str()) != 0) {
        if (fd >= 0) ::close(fd);
        std::error_code ec;
        fs::remove_all(dir, ec);
        throw std::runtime_error("Cannot lock the temporary folder " + dir.string());
    }
    if (own.lockFd >= 0) ::close(own.lockFd);
    own.lockFd = fd;
    own.path = dir;
    own.owner = ::getpid();
    return dir;
}

int removeStaleTempDirs() {
    fs::path user;
    try {
        user = userTempDir();
    } catch (const std::exception&) {
        return 0;
    }
    fs::path mine;
    {
        OwnTempDir& own = ownTempDir();
        std::lock_guard lock(own.mutex);
        own.forgetIfInherited();
        mine = own.path;
    }
    int removed = 0;
    DIR* listing = ::opendir(user.c_str());
    if (listing == nullptr) return 0;
    std::vector<fs::path> stale;
    while (const dirent* e = ::readdir(listing)) {
        const std::string name = e->d_name;
        if (name.rfind(kRunPrefix, 0) != 0) continue;
        const fs::path dir = user / name;
        if (dir == mine || !isPrivateDir(dir)) continue;
        const int fd = ::open((dir / kLockName).c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            struct stat st {};
            if (errno == ENOENT && ::lstat(dir.c_str(), &st) == 0 &&
                std::time(nullptr) - st.st_mtime > kLocklessGraceSeconds)
                stale.push_back(dir);
            continue;
        }
        // A copy that runs holds its lock; a free lock belongs to one that ended.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) stale.push_back(dir);
        ::close(fd);
    }
    ::closedir(listing);
    for (const fs::path& dir : stale) {
        std::error_code ec;
        if (fs::remove_all(dir, ec) > 0 && !ec) ++removed;
    }
    return removed;
}

void removeOwnTempDir() {
    OwnTempDir& own = ownTempDir();
    std::lock_guard lock(own.mutex);
    own.forgetIfInherited();
    if (own.path.empty()) return;
    std::error_code ec;
    fs::remove_all(own.path, ec);
    if (own.lockFd >= 0) ::close(own.lockFd);
    own.lockFd = -1;
    FallbackTempDir& fallback = fallbackTempDir();
    std::lock_guard fallbackLock(fallback.mutex);
    if (fallback.owner == ::getpid() && own.path.parent_path() == fallback.path) {
        ::rmdir(fallback.path.c_str());
        fallback.path.clear();
        fallback.usual.clear();
    }
    own.path.clear();
}

void setPrivateTempDir(const fs::path& dir) {
    tempDirOverride() = dir;
}

}  // namespace pellimar
