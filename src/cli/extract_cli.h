// `pellimar-cli extract`: every icon of many files and folders written in one run.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/options.h"

namespace pellimar::cli {

// args: FILE|FOLDER... --out DIR [--format ico|cur|png|bmp|jpg] [--size N] [--recursive]
// [--any-file] [--id N|--name TEXT] [--lang L] [--all-languages] [--json], or
// --theme DIR --app-name NAME FILE (see the help text). Prints each file written (its path, or with
// --json one JSON record a line) to `out`, and each failure with its reason to `err`. Returns 0
// when everything was written, 1 when anything failed, 2 for bad arguments.
int extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

inline constexpr CommandText kExtractCommand = {
    "extract",
    "usage: pellimar-cli extract [--format ico|cur|png|bmp|jpg] [--size N] [--recursive]\n"
    "                            [--any-file] [--id N|--name TEXT] [--lang N|TAG]\n"
    "                            [--all-languages] [--json] [--summary]\n"
    "                            --out DIR FILE|FOLDER...\n"
    "       pellimar-cli extract --theme DIR --app-name NAME [--id N|--name TEXT|--index N]\n"
    "                            [--lang N|TAG] [--json] FILE",
    "Write every icon and cursor of every FILE, and of the files in each FOLDER, into\n"
    "DIR in one run. FILEs are recognised by their contents (PE32, PE32+ and NE\n"
    "executables and libraries, icon libraries, icon and cursor files); FILE \"-\"\n"
    "reads standard input (named \"stdin\"). In a FOLDER the files named *.exe, *.dll,\n"
    "*.cpl, *.ocx, *.scr, *.mun, *.mui, *.icl, *.ico and *.cur (in any letter case)\n"
    "are taken, in the order the folder lists them.\n"
    "\n"
    "Options:\n"
    "  -o, --out DIR        the folder to write to; it is created when missing\n"
    "  -f, --format FORMAT  ico or cur (the default): each icon as an icon file and\n"
    "                         each cursor as a cursor file (with its hotspots), holding\n"
    "                         every image exactly as stored (PNG images stay PNG);\n"
    "                       png: each image as a PNG file with its transparency, at\n"
    "                         its own size; with --size N, the best image for N\n"
    "                         brought to N x N instead;\n"
    "                       bmp, jpg: each icon drawn on white at --size, as draw does\n"
    "  -s, --size N         1 to 1024 (bmp and jpg: 32 when not given; not for ico)\n"
    "  -r, --recursive      take the files in the sub-folders of each FOLDER too; a\n"
    "                       link to a folder is not followed, and a note names each\n"
    "                       folder left out, with why\n"
    "      --any-file       take every file in a FOLDER, whatever its name, and keep\n"
    "                       those whose contents are of a kind read\n"
    "      --id N           only the icons and cursors of resource ID N\n"
    "      --name TEXT      only those of resource name TEXT (letter case aside)\n"
    "      --lang N|TAG     the language written: a number (1031, 0x407) or a tag\n"
    "                       (de-DE); without it, the first language of each icon\n"
    "      --all-languages  every language of each icon, the language in the name\n"
    "  -j, --json           print one JSON record a line per file written, instead of\n"
    "                       its path: {\"source\", \"icon\", \"kind\", \"id\" or \"name\",\n"
    "                       \"language\", \"file\", \"format\", \"bytes\", and \"images\"\n"
    "                       (ico, cur) or \"width\", \"height\", \"depth\" (png; cursors\n"
    "                       add \"hotspot\")}; a \"source\" or \"file\" whose name is\n"
    "                       not valid UTF-8 is followed by \"source_hex\" or\n"
    "                       \"file_hex\": the name's bytes exactly, in hexadecimal (two\n"
    "                       lowercase digits a byte)\n"
    "      --summary        end with one line on standard error: the files read, the\n"
    "                       files written, the failures (without it, only when\n"
    "                       standard error is a terminal)\n"
    "      --theme DIR      install the main icon of FILE (its first, or the one --id,\n"
    "                       --name or --index N chooses) as an application's icon of\n"
    "                       the hicolor icon theme: DIR/hicolor/SIZExSIZE/apps/NAME.png\n"
    "                       for each square size the icon holds (its deepest image of\n"
    "                       that size); sizes it lacks are not made up. DIR is\n"
    "                       ~/.local/share/icons for one user, /usr/share/icons for all\n"
    "      --app-name NAME  the icon's name in the theme, without extension\n"
    "  -h, --help           show this help and exit\n"
    "\n"
    "Files written are named NAME-INDEX.ico, NAME-cursor-INDEX.cur,\n"
    "NAME-INDEX-WIDTHxHEIGHT-DEPTH.png, NAME-INDEX.bmp or NAME-INDEX.jpg, where NAME\n"
    "is the source's file name and INDEX numbers its icons (and apart from them its\n"
    "cursors) from 0, as list does; with --all-languages the language follows INDEX\n"
    "(NAME-5-de-DE.ico). An unknown ID, name or language is an error that lists those\n"
    "the file has (for a file found in a FOLDER, a note). A name already written in\n"
    "the same run is never written again: the later file gets ~2, ~3... before its\n"
    "extension. Files of earlier runs are replaced. A file appears under its name\n"
    "only when it is whole. A symbolic link in DIR's path or at a file's name is\n"
    "followed only when it is yours or root's in a folder no one else may write to\n"
    "(see FILES WRITTEN in pellimar-cli(1)). Plain output quotes a name holding\n"
    "control characters as ls does: 'a'$'\\n''b'.\n"
    "\n"
    "One input file may make a run write at most 256 MB, or 64 times its size when\n"
    "that is more, and decode and make at most 128 million pixels, or 16 a byte of\n"
    "its size when that is more (each image decoded, each picture brought to a size\n"
    "and encoded); past either its extraction stops with a note.\n"
    "\n"
    "Progress goes to standard error when it is a terminal.\n"
    "\n"
    "Exit status: 0 when everything was written, 1 when anything failed (each failure\n"
    "is named on standard error with its reason; a FILE named that is of no kind\n"
    "read is one, a file of a FOLDER is passed over with a note), 2 for bad\n"
    "arguments.\n"};

}  // namespace pellimar::cli
