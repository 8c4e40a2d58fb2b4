#include "cli/input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/caps.h"

namespace pellimar::cli {

namespace {

// What standard input gave, copied to a file: a descriptor of it, or why not.
Result<int> copyStandardInput() {
    struct stat st {};
    if (::fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode)) {
        int fd = ::open("/proc/self/fd/0", O_RDONLY | O_CLOEXEC);
        if (fd < 0) fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
        if (fd < 0) return systemFailure(Fault::ReadFailed, errno);
        return fd;
    }
    const char* dir = std::getenv("TMPDIR");
    std::string folder = dir && *dir ? dir : "/tmp";
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::string pattern = folder + "/pellimar-cli-stdin-XXXXXX";
        fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        if (fd >= 0) ::unlink(pattern.c_str());
    }
    if (fd < 0) return systemFailure(Fault::ReadFailed, errno);
    char buffer[1 << 16];
    std::uint64_t total = 0;
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0) return fd;
        if (n < 0 && errno == EINTR) continue;
        if (n > 0 && (total += std::uint64_t(n)) > kMaxStandardInputBytes) {
            ::close(fd);
            return capReached(
                Cap::StandardInputBytes,
                std::to_string(kMaxStandardInputBytes >> 30) + " GB read from standard input");
        }
        ssize_t written = n < 0 ? -1 : 0;
        while (written >= 0 && written < n) {
            const ssize_t w = ::write(fd, buffer + written, std::size_t(n - written));
            if (w < 0 && errno == EINTR) continue;
            written = w < 0 ? -1 : written + w;
        }
        if (written < 0) {
            const int error = errno;
            ::close(fd);
            return systemFailure(Fault::ReadFailed, error);
        }
    }
}

// The same, copied once however often "-" is named.
const Result<int>& standardInputFile() {
    static const Result<int> held = copyStandardInput();
    return held;
}

}  // namespace

std::string inputName(const std::string& operand) {
    return operand == "-" ? "stdin" : operand;
}

Result<IconSet> openInput(const std::string& operand) {
    if (operand != "-") return IconSet::open(operand);
    const Result<int>& fd = standardInputFile();
    if (!fd) return fd.failure();
    // Opened afresh through the descriptor: the set reads with its own.
    return IconSet::open("/proc/self/fd/" + std::to_string(*fd));
}

}  // namespace pellimar::cli
