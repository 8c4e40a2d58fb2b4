// What a command of the command line did: its exit status and what it printed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace pellimar::test {

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs `command(args, out, err)` with string streams for out and err.
template <typename Command>
Outcome run(Command command, const std::vector<std::string>& args) {
    std::ostringstream out, err;
    Outcome r;
    r.status = command(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

}  // namespace pellimar::test
