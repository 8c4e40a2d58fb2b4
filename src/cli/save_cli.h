// `pellimar-cli save`: one icon of a file saved through the save command's own
// routines, as one selected result row would be.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pellimar::cli {

// args: FILE INDEX [--format ico|bmp|jpg] [--sizes 128,64,48,32,16] --out PATH
// (the words after "save"). Prints the files written, one a line, to `out`.
// A PATH without extension gets the format's. Returns 0 when at least one file
// was written, 1 with a one-line message on `err` when none was or the run
// stopped at a file it could not write, 2 with a usage line for bad arguments.
int save(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr const char* kSaveUsage =
    "usage: pellimar-cli save FILE INDEX [--format ico|bmp|jpg] [--sizes 128,64,48,32,16] "
    "--out PATH";

}  // namespace pellimar::cli
