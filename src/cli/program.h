// The pellimar-cli program: its own options and the command its first word names.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pellimar::cli {

// args: everything after the program's name. Returns the exit status.
int runProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// "pellimar-cli VERSION".
std::string versionText();

}  // namespace pellimar::cli
