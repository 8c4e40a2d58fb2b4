// The files the commands read: a path, or "-" for standard input.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "cli/library.h"

namespace pellimar::cli {

// How outputs name the file an operand stands for: "stdin" for "-".
std::string inputName(const std::string& operand);

// A file opened, or why not.
struct OpenedInput {
    FileHandle file;
    Outcome outcome;
    explicit operator bool() const { return file != nullptr; }
    const pellimar_failure* failure() const { return outcome.failure(); }
};

// Opens the file an operand names. Standard input that is a regular file is read
// as a file is, a range at a time; anything else (a pipe) is read once, whole,
// into memory, so that it may be named more than once in a run.
OpenedInput openInput(const std::string& operand);

// Everything `fd` gives until its end, in a buffer that grows as it is read; why
// not when a read fails, memory runs out, or there is more than `cap` bytes (the
// cap of standard input: PELLIMAR_MAX_STREAM_BYTES).
struct ReadToEnd {
    std::vector<std::uint8_t> bytes;
    Outcome outcome;
    explicit operator bool() const { return bool(outcome); }
    const pellimar_failure* failure() const { return outcome.failure(); }
};
ReadToEnd readToEnd(int fd, std::uint64_t cap);

// Whether `out` is the program's standard output and that is a terminal, where
// the bytes of an image would only garble the screen: the commands that write
// one there refuse, saying why, before they read anything.
bool isTerminalOutput(const std::ostream& out);
// The reason they give.
inline constexpr const char* kTerminalOutputRefused =
    "standard output is a terminal: image bytes are not written to it (redirect it "
    "to a file or a pipe)";

}  // namespace pellimar::cli
