#include "app/command_line.h"

#include <system_error>

#include "core/paths.h"

namespace pellimar {
namespace fs = std::filesystem;

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    bool options = true;
    for (const std::string& a : args) {
        if (options && a == "--") {
            options = false;
        } else if (options && a.size() > 1 && a[0] == '-') {
            CommandLine::Action action = CommandLine::Action::Usage;
            if (a == "--help" || a == "-h")
                action = CommandLine::Action::Help;
            else if (a == "--version")
                action = CommandLine::Action::Version;
            else if (a == "--paths")
                action = CommandLine::Action::Paths;
            if (line.action == CommandLine::Action::Run) {
                line.action = action;
                if (action == CommandLine::Action::Usage) line.unknownOption = a;
            }
        } else {
            line.paths.emplace_back(a);
        }
    }
    return line;
}

bool isQtOption(const std::string& arg) {
    static const char* const kQtOptions[] = {
        "platform",        "platformpluginpath", "platformtheme", "plugin",  "qmljsdebugger",
        "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "reverse", "session",
        "display",         "geometry",           "title",         "name",    "style",
        "stylesheet",      "widgetcount",        "nograb",        "dograb",  "sync"};
    std::string word = arg;
    if (word.rfind("--", 0) == 0) word.erase(0, 1);
    if (word.empty() || word[0] != '-') return false;
    word.erase(0, 1);
    if (const auto eq = word.find('='); eq != std::string::npos) word.resize(eq);
    for (const char* option : kQtOptions)
        if (word == option) return true;
    return false;
}

std::string helpText() {
    return std::string(kUsageLine) +
           "\n\n"
           "Finds the icons stored in Windows programs, libraries, icon libraries and\n"
           "icon files, lists them, shows them image by image and saves them.\n\n"
           "  FILE        import its icons as File > Import from a File does\n"
           "              (an icon file opens the icon viewer)\n"
           "  FOLDER      scan it as File > Scan a Folder does, with the saved\n"
           "              import options\n"
           "  --help      show this text\n"
           "  --version   show the version\n"
           "  --paths     show where the program finds its own files and keeps its\n"
           "              settings, without opening a window\n";
}

std::string ownFilesReport(bool& allFound) {
    std::error_code ec;
    allFound = true;
    std::string text;
    auto line = [&](const char* what, const fs::path& path, bool found) {
        text += std::string(what) + ": " + path.string() + (found ? "" : " (missing)") + "\n";
        if (!found) allFound = false;
    };
    const fs::path data = dataDir();
    text += "program: " + programDir().string() + "\n";
    text += std::string("data: ") + data.string() +
            (isInstalledLayout() ? " (installed)\n" : " (portable)\n");
    line("tips", data / "tips.dat", fs::is_regular_file(data / "tips.dat", ec));
    line("help file", data / "help.chm", fs::is_regular_file(data / "help.chm", ec));
    line("help pages", data / "help" / "index.html",
         fs::is_regular_file(data / "help" / "index.html", ec));
    text += "settings: " + settingsDir().string() + "\n";
    return text;
}

}  // namespace pellimar
