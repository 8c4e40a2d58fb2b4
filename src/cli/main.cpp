// pellimar-cli: the program's icon routines for scripts. One word names the
// command; each command parses the rest itself.
#include <iostream>
#include <string>
#include <vector>

#include "cli/program.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int status = pellimar::cli::runProgram(args, std::cout, std::cerr);
    std::cout.flush();
    // Output that could not be written (a full disk, a closed pipe) is no success.
    if (!std::cout && status == 0) return 1;
    return status;
}
