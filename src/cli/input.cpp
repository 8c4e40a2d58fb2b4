#include "cli/input.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <new>

namespace pellimar::cli {

namespace {

// What standard input is, found once in a run.
struct StandardInput {
    bool regular = false;             // a regular file, read through the library
    std::vector<std::uint8_t> bytes;  // what a pipe gave
    Outcome read;                     // why it cannot be had
};

const StandardInput& standardInput() {
    static const StandardInput held = [] {
        StandardInput in;
        struct stat st {};
        if (::fstat(STDIN_FILENO, &st) == 0 && S_ISREG(st.st_mode)) {
            in.regular = true;
            return in;
        }
        ReadToEnd read = readToEnd(STDIN_FILENO, PELLIMAR_MAX_STREAM_BYTES);
        if (read)
            in.bytes = std::move(read.bytes);
        else
            in.read = std::move(read.outcome);
        return in;
    }();
    return held;
}

Outcome failureOf(pellimar_status code, int32_t cap, const std::string& what, int error) {
    return outcomeOf(code, pellimar_failure_new(code, cap, what.empty() ? nullptr : what.c_str(),
                                                PELLIMAR_NO_OFFSET, error));
}

OpenedInput opened(pellimar_status status, pellimar_file*& file, pellimar_failure*& why) {
    OpenedInput in;
    in.outcome = outcomeOf(status, why);
    if (status == PELLIMAR_OK) in.file.reset(file);
    return in;
}

}  // namespace

ReadToEnd readToEnd(int fd, std::uint64_t cap) {
    ReadToEnd read;
    std::uint8_t chunk[64 * 1024];
    try {
        for (;;) {
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n == 0) return read;
            if (n < 0) {
                if (errno == EINTR) continue;
                read.outcome = failureOf(PELLIMAR_READ_FAILED, 0, {}, errno);
                return read;
            }
            if (read.bytes.size() + std::uint64_t(n) > cap) {
                read.outcome = failureOf(PELLIMAR_CAP_REACHED, PELLIMAR_CAP_INPUT_BYTES,
                                         (cap >= (1ull << 30) && cap % (1ull << 30) == 0
                                              ? std::to_string(cap >> 30) + " GB"
                                              : std::to_string(cap) + " bytes") +
                                             " read from standard input",
                                         0);
                return read;
            }
            read.bytes.insert(read.bytes.end(), chunk, chunk + n);
        }
    } catch (const std::bad_alloc&) {
        read.bytes = {};
        read.outcome = failureOf(PELLIMAR_READ_FAILED, 0, {}, ENOMEM);
        return read;
    }
}

bool isTerminalOutput(const std::ostream& out) {
    return &out == &std::cout && ::isatty(STDOUT_FILENO) == 1;
}

std::string inputName(const std::string& operand) {
    return operand == "-" ? "stdin" : operand;
}

OpenedInput openInput(const std::string& operand) {
    pellimar_file* file = nullptr;
    pellimar_failure* why = nullptr;
    if (operand != "-") {
        const pellimar_status status = pellimar_open_path(operand.c_str(), 0, &file, &why);
        return opened(status, file, why);
    }
    const StandardInput& in = standardInput();
    if (!in.read) {
        OpenedInput failed;
        failed.outcome.status = in.read.status;
        failed.outcome.why.reset(pellimar_failure_copy(in.read.failure()));
        return failed;
    }
    // Read through a descriptor of the library's own, which never moves ours.
    if (in.regular) return opened(pellimar_open_fd(STDIN_FILENO, 0, &file, &why), file, why);
    // The bytes live for the rest of the run, longer than any file read over them.
    return opened(pellimar_open_buffer(in.bytes.data(), in.bytes.size(), 0, &file, &why), file,
                  why);
}

}  // namespace pellimar::cli
