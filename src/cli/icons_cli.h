// `pellimar-cli list` and `pellimar-cli draw`: the icons of files, for scripts.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "cli/options.h"

namespace pellimar::cli {

// args: [--json] FILE... For each file prints "FILE: N" (its number of icons, counted
// as the program counts them) and then one line per icon: its 0-based index and the
// images of its group as WIDTHxHEIGHT@BITS. With --json one JSON document instead
// (see the help text). Returns 0, or 1 when a file could not be read (it is listed
// with 0 icons and named on `err` with the reason); 2 for bad arguments.
// The output is bounded whatever a file states: a group lists at most the 256 images
// that are read (a note on `err` says so once per file), and a file's listing stops
// with a note once kMaxListedImages images have been listed (about 2 MB at most).
int list(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// args: FILE INDEX SIZE OUT.bmp. Icon INDEX of FILE brought to SIZE x SIZE, drawn
// with its mask onto a white 24-bit bitmap written to OUT.bmp ("-": to `out`).
// Returns 0; 1 with a one-line message when there is no such icon or the file
// cannot be written; 2 for bad arguments.
int draw(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr std::size_t kMaxListedImages = 65536;

inline constexpr CommandText kListCommand = {
    "list", "usage: pellimar-cli list [--json] FILE...",
    "List the icons of each FILE: executables and libraries (PE32, PE32+, NE), icon\n"
    "libraries and icon files, recognised by their contents. For each file a line\n"
    "\"FILE: COUNT\", then one line per icon: its index (from 0) and its images as\n"
    "WIDTHxHEIGHT@BITS, in the order the icon stores them.\n"
    "\n"
    "Options:\n"
    "  -j, --json   print one JSON document instead: {\"files\": [{\"file\", \"readable\",\n"
    "               \"error\" (when not readable), \"icons\": [{\"index\", \"images\":\n"
    "               [{\"width\", \"height\", \"depth\", \"png\", \"bytes\"}]}]}]}; \"png\" and\n"
    "               \"bytes\" are null for an image whose data cannot be found; a\n"
    "               \"file\" whose name is not valid UTF-8 is followed by \"file_hex\",\n"
    "               the name's bytes in hexadecimal (two lowercase digits a byte)\n"
    "  -h, --help   show this help and exit\n"
    "\n"
    "Exit status: 0 when every file was read, 1 when a file could not be read,\n"
    "2 for bad arguments.\n"};

inline constexpr CommandText kDrawCommand = {
    "draw", "usage: pellimar-cli draw FILE INDEX SIZE OUT.bmp",
    "Draw icon INDEX (from 0, as list numbers them) of FILE at SIZE x SIZE pixels\n"
    "(1 to 1024) with its mask onto white, and write it as a 24-bit BMP file.\n"
    "OUT.bmp \"-\" writes the picture to standard output.\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help and exit\n"
    "\n"
    "Exit status: 0 when the picture was written, 1 when there is no such icon or\n"
    "the file cannot be written, 2 for bad arguments.\n"};

}  // namespace pellimar::cli
