#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// The longest file name the file systems take, in bytes.
constexpr std::size_t kMaxNameBytes = 255;
// As many links as the system follows in one path.
constexpr int kMaxLinks = 40;

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

// The file a name stands for in the end: symbolic links followed (a link whose
// file does not exist yet leads to where that file would be). Nothing, with errno
// set, for a loop or an unreadable link.
std::optional<fs::path> finalTarget(const fs::path& target) {
    fs::path p = target;
    for (int depth = 0; depth <= kMaxLinks; ++depth) {
        struct stat st {};
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
        std::error_code ec;
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) {
            errno = ec.value();
            return std::nullopt;
        }
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    errno = ELOOP;
    return std::nullopt;
}

// A new file beside the target under a hidden name no longer than a file name may
// be, created as any new file is (the system applies the umask and the folder's
// default permissions; the process umask is never changed). -1 with errno set.
int createTemporary(const fs::path& dir, const std::string& name, std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::string stem = "." + name.substr(0, kMaxNameBytes - 1 - 8);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto now = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
        std::uint64_t bits =
            now ^ (std::uint64_t(::getpid()) << 32) ^ (counter++ * 0x9E3779B97F4A7C15ull);
        std::string suffix = ".";
        static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
        for (int i = 0; i < 7; ++i, bits /= 36) suffix += kDigits[bits % 36];
        path = (dir / (stem + suffix)).string();
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Makes the rename itself durable; best effort, as some file systems cannot sync
// a folder.
void syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

bool writeFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes,
                         Durability durability) {
    if (target.empty() || !target.has_filename()) {
        errno = EINVAL;
        return false;
    }
    const auto real = finalTarget(target);
    if (!real) return false;
    fs::path dir = real->parent_path();
    if (dir.empty()) dir = ".";
    std::string temporary;
    const int fd = createTemporary(dir, real->filename().string(), temporary);
    if (fd < 0) return false;
    // Keep the permissions an existing file had; a new one has what the system gave it.
    struct stat st {};
    bool ok = true;
    if (::stat(real->c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    const bool sync = durability == Durability::Synced;
    ok = ok && writeAll(fd, bytes.data(), bytes.size()) && (!sync || ::fsync(fd) == 0);
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (ok && ::rename(temporary.c_str(), real->c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        errno = error;  // the reason of the failure, not of the clean-up
        return false;
    }
    if (sync) syncFolder(dir);
    return true;
}

bool writeFileAtomically(const fs::path& target, std::string_view text, Durability durability) {
    return writeFileAtomically(
        target, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
        durability);
}

}  // namespace pellimar
