#include "core/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

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

}  // namespace

fs::path programDir() {
    if (!programDirOverride().empty()) return programDirOverride();
    static const fs::path dir = executableDir();
    return dir;
}

void setProgramDir(const fs::path& dir) {
    programDirOverride() = dir;
}

fs::path settingsDir() {
    fs::path dir = programDir();
    if (isWritableDir(dir)) return dir;
    fs::path config = userConfigDir();
    if (config.empty()) return dir;
    std::error_code ec;
    fs::create_directories(config, ec);
    return config;
}

fs::path privateTempDir() {
    if (!tempDirOverride().empty()) return tempDirOverride();
    fs::path base;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && fs::is_directory(run))
        base = run;
    else
        base = fs::temp_directory_path();
    fs::path dir = base / ("pellimar-" + std::to_string(::getuid()));
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
        throw std::runtime_error("Cannot create the temporary folder " + dir.string());
    if (!isPrivateDir(dir))
        throw std::runtime_error("The temporary folder " + dir.string() + " is not private");
    return dir;
}

void setPrivateTempDir(const fs::path& dir) {
    tempDirOverride() = dir;
}

}  // namespace pellimar
