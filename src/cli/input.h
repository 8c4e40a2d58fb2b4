// The files the commands read: a path, or "-" for standard input.
#pragma once

#include <string>

#include "platform/icon_set.h"

namespace pellimar::cli {

// How outputs name the file an operand stands for: "stdin" for "-".
std::string inputName(const std::string& operand);

// Opens the file an operand names. Standard input that is not a regular file
// (a pipe) is copied once to an unnamed temporary file, so that it is read as a
// file is, a range at a time, and may be named more than once in a run.
Result<IconSet> openInput(const std::string& operand);

}  // namespace pellimar::cli
