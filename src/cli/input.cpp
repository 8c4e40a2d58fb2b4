#include "cli/input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <optional>
#include <span>
#include <string>

#include "platform/caps.h"

namespace pellimar::cli {

namespace {

// What standard input gave, read once in a run.
struct StandardInput {
    int fd = -1;                      // a descriptor of its own onto a regular file; -1 otherwise
    std::vector<std::uint8_t> bytes;  // what a pipe gave
    std::optional<Failure> failure;   // why it cannot be had
};

const StandardInput& standardInput() {
    static const StandardInput held = [] {
        StandardInput in;
        struct stat st {};
        if (::fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode)) {
            in.fd = ::open("/proc/self/fd/0", O_RDONLY | O_CLOEXEC);
            if (in.fd < 0) in.fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
            if (in.fd < 0) in.failure = systemFailure(Fault::ReadFailed, errno);
            return in;
        }
        Result<std::vector<std::uint8_t>> bytes = readToEnd(STDIN_FILENO, kMaxStandardInputBytes);
        if (bytes)
            in.bytes = std::move(*bytes);
        else
            in.failure = bytes.failure();
        return in;
    }();
    return held;
}

}  // namespace

Result<std::vector<std::uint8_t>> readToEnd(int fd, std::uint64_t cap) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[64 * 1024];
    try {
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n == 0) return bytes;
            if (n < 0) {
                if (errno == EINTR) continue;
                return systemFailure(Fault::ReadFailed, errno);
            }
            if (bytes.size() + std::uint64_t(n) > cap)
                return capReached(Cap::StandardInputBytes,
                                  (cap >= (1ull << 30) && cap % (1ull << 30) == 0
                                       ? std::to_string(cap >> 30) + " GB"
                                       : std::to_string(cap) + " bytes") +
                                      " read from standard input");
            bytes.insert(bytes.end(), chunk, chunk + n);
        }
    } catch (const std::bad_alloc&) {
        return systemFailure(Fault::ReadFailed, ENOMEM);
    }
}

std::string inputName(const std::string& operand) {
    return operand == "-" ? "stdin" : operand;
}

Result<IconSet> openInput(const std::string& operand) {
    if (operand != "-") return IconSet::open(operand);
    const StandardInput& in = standardInput();
    if (in.failure) return *in.failure;
    // Opened afresh through the descriptor: the set reads with its own.
    if (in.fd >= 0) return IconSet::open("/proc/self/fd/" + std::to_string(in.fd));
    // The bytes live for the rest of the run, longer than any set read over them.
    return IconSet::read(ByteSource(std::span<const std::uint8_t>(in.bytes)));
}

}  // namespace pellimar::cli
