#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace pellimar {
namespace fs = std::filesystem;

namespace {

mode_t currentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

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

}  // namespace

bool writeFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes) {
    if (target.empty() || !target.has_filename()) return false;
    fs::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string pattern = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) return false;
    // Keep the permissions an existing file had; a new one gets the usual ones.
    struct stat st {};
    mode_t mode = (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                      ? (st.st_mode & 07777)
                      : (0666 & ~currentUmask());
    bool ok = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes.data(), bytes.size());
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(pattern.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(pattern.c_str());
    return ok;
}

bool writeFileAtomically(const fs::path& target, std::string_view text) {
    return writeFileAtomically(
        target, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace pellimar
