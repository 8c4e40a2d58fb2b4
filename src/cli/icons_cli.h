// `pellimar-cli list` and `pellimar-cli draw`: the icons of files, for scripts.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace pellimar::cli {

// args: FILE... For each file prints "FILE: N" (its number of icons, counted as the
// program counts them) and then one line per icon: its 0-based index and the images
// of its group as WIDTHxHEIGHT@BITS. Returns 0, or 1 when a file could not be read
// (it is listed with 0 icons and named on `err`); 2 with a usage line without files.
// The output is bounded whatever a file states: a group lists at most the 256 images
// that are read (a note on `err` says so once per file), and a file's listing stops
// with a note once kMaxListedImages images have been listed (about 2 MB at most).
int list(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// args: FILE INDEX SIZE OUT.bmp. Icon INDEX of FILE brought to SIZE x SIZE, drawn
// with its mask onto a white 24-bit bitmap written to OUT.bmp. Returns 0; 1 with a
// one-line message when there is no such icon or the file cannot be written; 2 with
// a usage line for bad arguments.
int draw(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr std::size_t kMaxListedImages = 65536;

inline constexpr const char* kListUsage = "usage: pellimar-cli list FILE...";
inline constexpr const char* kDrawUsage = "usage: pellimar-cli draw FILE INDEX SIZE OUT.bmp";

}  // namespace pellimar::cli
