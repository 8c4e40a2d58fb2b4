// pellimar-thumbnailer: a file manager's thumbnail of a Windows program, icon
// library or icon file. A client of libpellimar alone, so that the program starts
// fast and needs no Qt.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "cli/library.h"

namespace pellimar::cli {

inline constexpr const char* kThumbnailerUsage = "usage: pellimar-thumbnailer -s SIZE IN OUT.png";

// Writes icon 0 of `in` as a PNG with transparency to `out`, within size x size
// (1 to 256): the smallest image of its group at least that large, shrunk to it,
// else the largest at its own size. Only the headers, the resource directories
// and that one image are read. `out` is written by pellimar_write_file_in_place
// (see pellimar.h): made whole when it is missing; written in place when
// it is the caller's own file (thumbnail services read it through the file they
// made), never emptied first; any other file replaced by a rename; never
// through a symbolic link. Nothing is written when there is no picture to
// write. Why not, when there is no icon to draw or `out` cannot be written.
Outcome writeThumbnail(const std::filesystem::path& in, const std::filesystem::path& out, int size);

// The program: `args` without the program's name. Returns the exit status: 0 when
// the picture was written, 1 when there is no icon or the output cannot be written,
// 2 for a command line that is not understood (with the usage line on `err`).
int runThumbnailer(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pellimar::cli
