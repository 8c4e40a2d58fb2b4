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
// with 0 icons and named on `err` with the reason); 2 for bad arguments. A group,
// or an image a group names, that cannot be read is listed all the same, with a
// note on `err` that says why (in JSON also its "error").
// The output is bounded whatever a file states: a group lists at most the
// PELLIMAR_MAX_IMAGES_PER_GROUP images that are read (a note on `err` names the first group
// cut, with what it states),
// and a file's listing stops with a note where its reading stopped, once
// PELLIMAR_MAX_IMAGES_PER_FILE images have been read (about 2 MB at most).
int list(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// args: FILE INDEX SIZE OUT.bmp. Icon INDEX of FILE brought to SIZE x SIZE, drawn
// with its mask onto a white 24-bit bitmap written to OUT.bmp ("-": to `out`).
// Returns 0; 1 with a one-line message when there is no such icon or the file
// cannot be written; 2 for bad arguments.
int draw(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr CommandText kListCommand = {
    "list", "usage: pellimar-cli list [--json] FILE...",
    "List the icons and cursors of each FILE: executables and libraries (PE32, PE32+,\n"
    "NE), icon libraries, icon files and cursor files, recognised by their contents;\n"
    "FILE \"-\" reads standard input (named \"stdin\"). For each file a line\n"
    "\"FILE: COUNT\" (its icons), then one line per icon: its index (from 0), its\n"
    "resource ID (\"id:5\") or name (\"name:\"MAIN\"\") and language (\"lang:1031/de-DE\",\n"
    "or the number alone when it has no tag here) where the file has them, and its\n"
    "images as WIDTHxHEIGHT@BITS in the order the icon stores them. A group stored in\n"
    "more languages has a line for each further one after its own, starting with \"+\".\n"
    "Cursors follow, their lines starting with \"cursor \", each image with its\n"
    "hotspot: WIDTHxHEIGHT@BITS+X+Y. Animated cursors (.ani) are not read. An icon\n"
    "whose directory or images cannot be read is listed all the same, and a note on\n"
    "standard error says why.\n"
    "\n"
    "Options:\n"
    "  -j, --json   print one JSON document instead: {\"files\": [{\"file\", \"readable\",\n"
    "               \"error\" (when not readable), \"icons\": [ICON], \"cursors\": [ICON],\n"
    "               \"version\": VERSION}]};\n"
    "               ICON is {\"index\", \"kind\" (\"icon\" or \"cursor\"), \"id\" (a number)\n"
    "               or \"name\" (a text) where the file has one, \"language\" ({\"id\",\n"
    "               \"tag\"}, tag null when unknown; null without one), \"images\": [{\"width\",\n"
    "               \"height\", \"depth\", \"hotspot\" ([X, Y], cursors), \"png\", \"offset\",\n"
    "               \"bytes\"}], \"other_languages\": [the same without \"index\"]};\n"
    "               \"png\", \"offset\" and \"bytes\" are null for an image whose data\n"
    "               cannot be found, and its \"error\" says why; an ICON whose\n"
    "               directory cannot be read has \"error\" and no images; a \"file\"\n"
    "               whose name is not valid UTF-8 is followed by \"file_hex\", the\n"
    "               name's bytes in hexadecimal (two lowercase digits a byte);\n"
    "               VERSION is null for a file without a version resource, else\n"
    "               {\"language\" (as an ICON's), \"code_page\", \"product_name\",\n"
    "               \"file_description\", \"company_name\", \"file_version\",\n"
    "               \"product_version\" (each null when missing), \"notes\" (why\n"
    "               parts of it could not be read)}, or {\"error\"} when it cannot\n"
    "               be read at all\n"
    "  -h, --help   show this help and exit\n"
    "\n"
    "Exit status: 0 when every file was read (a program without icons included),\n"
    "1 when a file could not be read or is of no kind read, 2 for bad arguments.\n"};

inline constexpr CommandText kDrawCommand = {
    "draw", "usage: pellimar-cli draw FILE INDEX SIZE OUT.bmp",
    "Draw icon INDEX (from 0, as list numbers them) of FILE at SIZE x SIZE pixels\n"
    "(1 to 1024) with its mask onto white, and write it as a 24-bit BMP file.\n"
    "FILE \"-\" reads standard input; OUT.bmp \"-\" writes the picture to standard output,\n"
    "unless that is a terminal.\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help and exit\n"
    "\n"
    "Exit status: 0 when the picture was written, 1 when there is no such icon, the\n"
    "file cannot be written or standard output is a terminal, 2 for bad arguments.\n"};

}  // namespace pellimar::cli
