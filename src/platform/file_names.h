// How the program reads a file's kind from its name.
#pragma once

#include <filesystem>
#include <string>

namespace pellimar {

// The extension of the name part of `path`: from its last "." to the end, dot
// included, ASCII letters upper-cased; empty when the name holds no ".". A name
// that starts with its only dot (".ico") is all extension.
std::string upperCaseExtension(const std::filesystem::path& path);

}  // namespace pellimar
