#include "cli/program.h"

#include "cli/extract_cli.h"
#include "cli/icons_cli.h"
#include "cli/save_cli.h"

#ifndef PELLIMAR_VERSION
#error "PELLIMAR_VERSION must name the project's version"
#endif

namespace pellimar::cli {

namespace {

struct Command {
    const CommandText& text;
    int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    const char* summary;
};

const Command kCommands[] = {
    {kListCommand, list, "list the icons of files and the images of each icon"},
    {kDrawCommand, draw, "draw one icon on white as a BMP picture"},
    {kSaveCommand, save, "save one icon as the program's Save command does"},
    {kExtractCommand, extract, "write every icon of many files and folders in one run"},
};

constexpr const char* kUsage =
    "usage: pellimar-cli COMMAND [OPTIONS] [ARGUMENTS]\n"
    "       pellimar-cli --help | --version";

void help(std::ostream& out) {
    out << kUsage << "\n"
        << "The icons and cursors stored in Windows executables and libraries (.exe,\n"
           ".dll, .mun...), icon libraries (.icl), icon files (.ico) and cursor files\n"
           "(.cur), for scripts.\n"
           "\n"
           "Commands:\n";
    for (const Command& c : kCommands) {
        std::string name = c.text.name;
        name.resize(10, ' ');
        out << "  " << name << c.summary << "\n";
    }
    out << "\n"
           "Options:\n"
           "  -h, --help      show this help and exit\n"
           "  -V, --version   show the version and exit\n"
           "\n"
           "'pellimar-cli COMMAND --help' describes a command. A \"-\" given as the FILE\n"
           "to read reads standard input; given as the output path of a command that\n"
           "writes one file, it writes the file to standard output.\n"
           "\n"
           "Exit status: 0 on success, 1 when something could not be read or written,\n"
           "2 for bad arguments.\n";
}

int usageError(const std::string& why, std::ostream& err) {
    err << "pellimar-cli: " << why << "\n"
        << kUsage << "\n"
        << "Try 'pellimar-cli --help' for more.\n";
    return 2;
}

}  // namespace

std::string versionText() {
    return std::string("pellimar-cli ") + PELLIMAR_VERSION;
}

int runProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) return usageError("no COMMAND given", err);
    const std::string& first = args[0];
    if (first == "--help" || first == "-h") {
        help(out);
        return 0;
    }
    if (first == "--version" || first == "-V") {
        out << versionText() << "\n";
        return 0;
    }
    if (first.size() > 1 && first[0] == '-') return usageError("unknown option " + first, err);
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const Command& c : kCommands)
        if (first == c.text.name) return c.run(rest, out, err);
    return usageError("unknown command " + first, err);
}

}  // namespace pellimar::cli
