// `pellimar-cli save`: one icon of a file saved through the save command's own
// routines, as one selected result row would be.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/options.h"

namespace pellimar::cli {

// args: FILE INDEX [--format ico|bmp|jpg|png|original] [--sizes 128,64,48,32,16]
// --out PATH (the words after "save"). Prints the files written, one a line, to
// `out`; PATH "-" writes the one file of a run to `out` instead. A PATH without
// extension gets the format's. Returns 0 when at least one file was written, 1
// with a one-line message on `err` when none was or the run stopped at a file it
// could not write, 2 for bad arguments.
int save(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr CommandText kSaveCommand = {
    "save",
    "usage: pellimar-cli save [--format ico|bmp|jpg|png|original] [--sizes 128,64,48,32,16]\n"
    "                         [--lang N|TAG] --out PATH FILE INDEX|--id N|--name TEXT",
    "Save icon INDEX (from 0, as list numbers them; for an icon file, its image INDEX)\n"
    "of FILE as the program's Save command saves one selected row, and print the\n"
    "files written, one a line. --id N or --name TEXT chooses the icon by its\n"
    "resource ID or name instead of INDEX; --lang N|TAG (1031 or de-DE) asks for the\n"
    "icon in that language: save writes an icon's first language, as the program\n"
    "shows it ('extract --lang' writes the others). An unknown ID, name or language\n"
    "is an error that lists those the file has.\n"
    "\n"
    "Options:\n"
    "  -f, --format FORMAT  ico (the default), bmp or jpg: as the Save command's icon,\n"
    "                         bitmap and JPEG files;\n"
    "                       png: each size from the icon's best image, transparency kept;\n"
    "                       original: one icon file holding every image of the icon as\n"
    "                         stored (sizes are ignored)\n"
    "  -s, --sizes LIST     the sizes, comma-separated, from 128, 64, 48, 32 and 16\n"
    "                       (default 32)\n"
    "  -o, --out PATH       the name the files are named after; a name without an\n"
    "                       extension gets the format's; a PATH ending in a folder\n"
    "                       (\"/\", \"out/\") names no file. \"-\" writes the file to\n"
    "                       standard output: one size only (or --format original),\n"
    "                       never to a terminal\n"
    "  -h, --help           show this help and exit\n"
    "\n"
    "FILE \"-\" reads standard input (named \"stdin\"); an icon or cursor file there is\n"
    "told by its contents, as it has no name.\n"
    "\n"
    "Exit status: 0 when a file was written, 1 when none was, a file could not be\n"
    "written or standard output is a terminal, 2 for bad arguments.\n"};

}  // namespace pellimar::cli
