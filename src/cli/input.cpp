#include "cli/input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace pellimar::cli {

namespace {

// The most read from a pipe: more than any program or library file holds (their
// formats reach 4 GB at most), so a stream without end cannot fill the disk.
constexpr std::uint64_t kMaxStandardInputBytes = 4ull << 30;

// A descriptor of a file that holds what standard input gave, or -1 with errno.
int standardInputFile() {
    static int held = -2;
    static int heldError = 0;
    if (held != -2) {
        errno = heldError;
        return held;
    }
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode)) {
        held = ::open("/proc/self/fd/0", O_RDONLY | O_CLOEXEC);
        if (held < 0) held = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
        heldError = held < 0 ? errno : 0;
        return held;
    }
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::string pattern = folder + "/pellimar-cli-stdin-XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd >= 0) ::unlink(pattern.c_str());
    }
    if (fd >= 0) {
        char buffer[1 << 16];
        std::uint64_t total = 0;
        for (;;) {
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n == 0) break;
            if (n < 0 && errno == EINTR) continue;
            ssize_t written = n < 0 ? -1 : 0;
            if (n > 0 && (total += std::uint64_t(n)) > kMaxStandardInputBytes) {
                written = -1;
                errno = EFBIG;  // "File too large": the reason told for this input
            }
            while (written >= 0 && written < n) {
                const ssize_t w = ::write(fd, buffer + written, std::size_t(n - written));
                if (w < 0 && errno == EINTR) continue;
                written = w < 0 ? -1 : written + w;
            }
            if (written < 0) {
                const int error = errno;
                ::close(fd);
                fd = -1;
                errno = error;
                break;
            }
        }
    }
    held = fd;
    heldError = fd < 0 ? errno : 0;
    return held;
}

}  // namespace

std::string inputName(const std::string& operand) {
    return operand == "-" ? "stdin" : operand;
}

Result<IconSet> openInput(const std::string& operand) {
    if (operand != "-") return IconSet::open(operand);
    const int fd = standardInputFile();
    if (fd < 0) return systemFailure(Fault::ReadFailed, errno);
    // Opened afresh through the descriptor: the set reads with its own.
    return IconSet::open("/proc/self/fd/" + std::to_string(fd));
}

}  // namespace pellimar::cli
