// pellimar-cli: the program's icon routines for scripts. One word names the
// command; each command parses the rest itself.
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/icons_cli.h"
#include "cli/save_cli.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
    const char* usage;
};

const Command kCommands[] = {
    {"list", pellimar::cli::list, pellimar::cli::kListUsage},
    {"draw", pellimar::cli::draw, pellimar::cli::kDrawUsage},
    {"save", pellimar::cli::save, pellimar::cli::kSaveUsage},
};

int usage() {
    for (const Command& c : kCommands) std::cerr << c.usage << "\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& c : kCommands)
        if (std::strcmp(argv[1], c.name) == 0) return c.run(args, std::cout, std::cerr);
    return usage();
}
