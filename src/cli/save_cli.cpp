#include "cli/save_cli.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "core/settings.h"
#include "export/save_command.h"

namespace pellimar::cli {
namespace fs = std::filesystem;

namespace {

// Messages the routines would show in a box are kept; the last one explains a
// run that wrote nothing.
class CliDesktop : public Desktop {
  public:
    std::string lastMessage;
    Answer message(const std::string& text, const std::string&, Buttons, MessageIcon) override {
        lastMessage = text;
        return Answer::Ok;
    }
    void errorBox(const std::string& text) override { lastMessage = text; }
    std::optional<fs::path> openFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<fs::path> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<fs::path> chooseFolder(const std::string&) override { return std::nullopt; }
    void openWithDefaultHandler(const fs::path&) override {}
    int runModal(QDialog&) override { return 0; }
};

std::optional<int> parseInt(const std::string& s) {
    int value = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

bool parseSizes(const std::string& list, AppSettings& s) {
    s.size_128 = s.size_64 = s.size_48 = s.size_32 = s.size_16 = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        auto v = parseInt(list.substr(start, comma - start));
        if (!v) return false;
        switch (*v) {
            case 128:
                s.size_128 = true;
                break;
            case 64:
                s.size_64 = true;
                break;
            case 48:
                s.size_48 = true;
                break;
            case 32:
                s.size_32 = true;
                break;
            case 16:
                s.size_16 = true;
                break;
            default:
                return false;
        }
        start = comma + 1;
    }
    return true;
}

int usage(std::ostream& err, const std::string& why) {
    err << "pellimar-cli save: " << why << "\n" << kSaveUsage << "\n";
    return 2;
}

}  // namespace

int save(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> positional;
    std::string format = "ico", sizes = "32", outPath;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--format" || a == "--sizes" || a == "--out") {
            if (i + 1 >= args.size()) return usage(err, a + " needs a value");
            const std::string& v = args[++i];
            (a == "--format" ? format : a == "--sizes" ? sizes : outPath) = v;
        } else if (a.size() > 1 && a[0] == '-' && !parseInt(a)) {
            return usage(err, "unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return usage(err, "FILE and INDEX are needed");
    auto index = parseInt(positional[1]);
    if (!index || *index < 0) return usage(err, "INDEX must be a number from 0");
    if (format != "ico" && format != "bmp" && format != "jpg")
        return usage(err, "unknown format " + format);
    AppSettings settings;
    settings.format = format;
    if (!parseSizes(sizes, settings)) return usage(err, "sizes are 128, 64, 48, 32 and 16");
    if (outPath.empty()) return usage(err, "--out is needed");

    CliDesktop desktop;
    SaveReport report;
    SaveContext ctx{settings, report, desktop, defaultIconServices()};
    // As in the Save dialog, a name typed without extension gets the format's own.
    fs::path chosen = outPath;
    if (!chosen.has_extension()) chosen += "." + format;
    const fs::path name = forceExtension(chosen, format);
    bool stopped = false;
    try {
        saveSelectedRows({{positional[0], *index, true}}, name, ctx);
    } catch (const std::exception& e) {
        desktop.lastMessage = e.what();
        stopped = true;
    }
    for (const fs::path& f : report.files()) out << (report.folder() / f).string() << "\n";
    // A run that stopped at a file it could not write, or left out any file, failed,
    // whatever it wrote.
    if (!report.files().empty() && !stopped && report.failureCount() == 0) return 0;
    if (!stopped && report.failureCount() > 0) desktop.lastMessage = report.firstFailure();
    if (desktop.lastMessage.empty())
        desktop.lastMessage = "nothing written: " + positional[0] + " has no icon " +
                              positional[1] +
                              ", none of the sizes asked for, or the files could not be written";
    err << "pellimar-cli save: " << desktop.lastMessage << "\n";
    return 1;
}

}  // namespace pellimar::cli
