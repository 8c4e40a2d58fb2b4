// pellimar-thumbnailer -s SIZE IN OUT.png: see cli/thumbnailer.h.
#include <iostream>
#include <string>
#include <vector>

#include "cli/thumbnailer.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return pellimar::cli::runThumbnailer(args, std::cout, std::cerr);
}
