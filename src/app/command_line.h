// The command line of the program: `pellimar [FILE|FOLDER]...`, --help, --version,
// and --paths, which says where the program finds its own files without opening a
// window (what an installation test and a puzzled user want to know).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pellimar {

inline constexpr const char* kUsageLine =
    "usage: pellimar [--help] [--version] [--paths] [FILE|FOLDER]...";

struct CommandLine {
    enum class Action { Run, Help, Version, Paths, Usage };
    Action action = Action::Run;
    // The files and folders to open, as given (relative ones are taken from the
    // working folder when they are opened).
    std::vector<std::filesystem::path> paths;
    std::string unknownOption;  // for Action::Usage
};

// Reads the arguments after the program's name. An argument starting with "-"
// (other than "-" itself) is an option up to a "--", after which every argument
// is a path. The first of --help, --version and --paths decides; an unknown
// option gives Action::Usage.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// True for an option Qt takes for itself (-style, --platform ...), which the
// application object removes from the arguments before they are read here.
bool isQtOption(const std::string& arg);

// The text --help prints.
std::string helpText();

// What --paths prints: the data folder, the tips file, the help file, the help
// pages and the settings folder, each marked "missing" when it is not there.
// `allFound` tells whether the tips, the help file and the help pages are there.
std::string ownFilesReport(bool& allFound);

}  // namespace pellimar
