// `pellimar-cli extract`: every icon of many files and folders written in one run.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/options.h"

namespace pellimar::cli {

// args: FILE|FOLDER... --out DIR [--format ico|png|bmp|jpg] [--size N] [--recursive]
// [--json] (see the help text). Prints each file written (its path, or with --json
// one JSON record a line) to `out`, and each failure with its reason to `err`.
// Returns 0 when everything was written, 1 when anything failed, 2 for bad arguments.
int extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr CommandText kExtractCommand = {
    "extract",
    "usage: pellimar-cli extract [--format ico|png|bmp|jpg] [--size N] [--recursive] [--json]\n"
    "                            --out DIR FILE|FOLDER...",
    "Write every icon of every FILE, and of the files in each FOLDER, into DIR in one\n"
    "run. FILEs are recognised by their contents (PE32, PE32+ and NE executables and\n"
    "libraries, icon libraries, icon files); in a FOLDER the files named *.exe, *.dll,\n"
    "*.icl and *.ico (in any letter case) are taken, in the order the folder lists them.\n"
    "\n"
    "Options:\n"
    "  -o, --out DIR        the folder to write to; it is created when missing\n"
    "  -f, --format FORMAT  ico (the default): each icon as an icon file holding every\n"
    "                         image of the icon exactly as stored (PNG images stay PNG);\n"
    "                       png: each image of each icon as a PNG file with its\n"
    "                         transparency, at its own size; with --size N, the icon's\n"
    "                         best image for N brought to N x N instead;\n"
    "                       bmp, jpg: each icon drawn on white at --size, as draw does\n"
    "  -s, --size N         1 to 1024 (bmp and jpg: 32 when not given; not for ico)\n"
    "  -r, --recursive      take the files in the sub-folders of each FOLDER too\n"
    "  -j, --json           print one JSON record a line per file written, instead of\n"
    "                       its path: {\"source\", \"icon\", \"file\", \"format\", \"bytes\",\n"
    "                       and \"images\" (ico) or \"width\", \"height\", \"depth\" (png)};\n"
    "                       a \"source\" or \"file\" whose name is not valid UTF-8 is\n"
    "                       followed by \"source_hex\" or \"file_hex\": the name's bytes\n"
    "                       exactly, in hexadecimal (two lowercase digits a byte)\n"
    "  -h, --help           show this help and exit\n"
    "\n"
    "Files written are named NAME-INDEX.ico, NAME-INDEX-WIDTHxHEIGHT-DEPTH.png,\n"
    "NAME-INDEX.bmp or NAME-INDEX.jpg, where NAME is the source's file name and INDEX\n"
    "numbers its icons from 0, as list does. A name already written in the same run is\n"
    "never written again: the later file gets ~2, ~3... before its extension. Files of\n"
    "earlier runs are replaced. A file appears under its name only when it is whole.\n"
    "A name that is a symbolic link is followed only where the system would follow\n"
    "it: not when someone else put it in a folder everyone may write to. Plain\n"
    "output quotes a name holding control characters as ls does: 'a'$'\\n''b'.\n"
    "\n"
    "One input file may make a run write at most 256 MB, or 64 times its size when\n"
    "that is more; past that its extraction stops with a note.\n"
    "\n"
    "Progress goes to standard error when it is a terminal.\n"
    "\n"
    "Exit status: 0 when everything was written, 1 when anything failed (each failure\n"
    "is named on standard error with its reason), 2 for bad arguments.\n"};

}  // namespace pellimar::cli
