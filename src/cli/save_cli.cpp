#include "cli/save_cli.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include "cli/resource_choice.h"
#include "core/settings.h"
#include "export/save_command.h"
#include "platform/icon_set.h"
#include "platform/language_tags.h"

namespace pellimar::cli {
namespace fs = std::filesystem;

namespace {

bool parseSizes(const std::string& list, AppSettings& s) {
    s.saveSize128 = s.saveSize64 = s.saveSize48 = s.saveSize32 = s.saveSize16 = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        auto v = parseNumber(list.substr(start, comma - start), 0, 128);
        if (!v) return false;
        switch (*v) {
            case 128:
                s.saveSize128 = true;
                break;
            case 64:
                s.saveSize64 = true;
                break;
            case 48:
                s.saveSize48 = true;
                break;
            case 32:
                s.saveSize32 = true;
                break;
            case 16:
                s.saveSize16 = true;
                break;
            default:
                return false;
        }
        start = comma + 1;
    }
    return true;
}

int usage(std::ostream& err, const std::string& why) {
    return usageError(kSaveCommand, why, err);
}

int sizesOn(const AppSettings& s) {
    return int(s.saveSize128) + int(s.saveSize64) + int(s.saveSize48) + int(s.saveSize32) +
           int(s.saveSize16);
}

// A folder of its own for a run whose one file goes to standard output.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::error_code ec;
        fs::path base = fs::temp_directory_path(ec);
        if (ec) base = "/tmp";
        std::string pattern = (base / "pellimar-cli-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
        else
            error_ = errno;
    }
    ~ScratchFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }
    // Why there is no folder: an errno value.
    int error() const { return error_; }

  private:
    fs::path path_;
    int error_ = 0;
};

bool copyToStream(const fs::path& file, std::ostream& out) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    out << in.rdbuf();
    out.flush();
    return bool(out);
}

}  // namespace

int save(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ParsedArgs parsed;
    std::vector<Option> options = {{"format", 'f', true}, {"sizes", 's', true}, {"out", 'o', true}};
    options.insert(options.end(), kChoiceOptions.begin(), kChoiceOptions.end());
    if (auto done = readCommandLine(args, options, kSaveCommand, out, err, parsed)) return *done;
    std::vector<std::string> positional = parsed.operands;
    const std::string format = parsed.last("format").value_or("ico");
    const std::string sizes = parsed.last("sizes").value_or("32");
    const std::string outPath = parsed.last("out").value_or("");
    GroupChoice choice;
    if (auto wrong = readChoice(parsed, choice)) return usage(err, *wrong);
    if (choice.allLanguages) return usage(err, "save writes one icon: give --lang instead");
    const bool byIdentity = choice.id || choice.name || choice.language;
    if (byIdentity && positional.size() == 1) positional.push_back({});
    if (positional.size() != 2)
        return usage(err, byIdentity ? "FILE and INDEX, or FILE and --id or --name, are needed"
                                     : "FILE and INDEX are needed");
    std::optional<int> index;
    if (!positional[1].empty()) {
        index = parseNumber(positional[1], 0, 0x7FFFFFFF);
        if (!index) return usage(err, "INDEX must be a number from 0");
        if (choice.id || choice.name) return usage(err, "give INDEX, or --id or --name");
    } else if (!choice.id && !choice.name) {
        return usage(err, "--lang chooses a language of the icon INDEX, --id or --name gives");
    }
    if (format != "ico" && format != "bmp" && format != "jpg" && format != "png" &&
        format != "original")
        return usage(err, "unknown format " + format);
    AppSettings settings;
    settings.saveFormat = format;
    if (!parseSizes(sizes, settings)) return usage(err, "sizes are 128, 64, 48, 32 and 16");
    if (outPath.empty()) return usage(err, "--out is needed");
    const bool toStandardOutput = outPath == "-";
    // A PATH that ends in a folder ("/", "out/") names no file: no name is made up.
    if (const fs::path named(outPath);
        !toStandardOutput &&
        (!named.has_filename() || named.filename() == "." || named.filename() == ".."))
        return usage(err, "--out " + outPath + " names no file: give a file name, as in " +
                              (named / ("icon." + saveDialogRequest(format).defaultExt)).string());
    if (toStandardOutput && format != "original" && sizesOn(settings) != 1)
        return usage(err, "--out - takes one file: give one size");

    if (byIdentity) {
        // The icon the identity names, at its position in the file.
        choice.index = index;
        auto set = IconSet::open(positional[0]);
        if (!set) {
            err << "pellimar-cli save: cannot read " << positional[0] << ": "
                << reasonOf(set.failure()) << "\n";
            return 1;
        }
        const auto chosen = chooseGroups(*set, {ResourceKind::Icon}, choice);
        if (!chosen || chosen->empty()) {
            err << "pellimar-cli save: " << positional[0] << ": "
                << (chosen ? std::string("no such icon") : chosen.failure().what) << "\n";
            return 1;
        }
        const ChosenGroup& c = chosen->front();
        if (c.variant >= 0) {
            // The save command's rows are an icon's first language.
            const IconGroup& first = set->icons()[std::size_t(c.position)];
            err << "pellimar-cli save: " << positional[0] << ": save writes each icon in its "
                << "first language ("
                << (first.identity.language ? languageText(*first.identity.language) : "none")
                << "); 'pellimar-cli extract --lang " << *choice.language << "' writes the other\n";
            return 1;
        }
        index = c.position;
        positional[1] = std::to_string(c.position);
    }
    SaveReport report;
    SaveContext ctx{settings, report, {}, {}};
    // As in the Save dialog, a name typed without extension gets the format's own.
    const std::string ext = saveDialogRequest(format).defaultExt;
    std::optional<ScratchFolder> scratch;
    if (toStandardOutput) scratch.emplace();
    if (toStandardOutput && scratch->path().empty()) {
        err << "pellimar-cli save: cannot make a temporary folder: "
            << systemReason(scratch->error()) << "\n";
        return 1;
    }
    fs::path chosen = toStandardOutput ? scratch->path() / "icon" : fs::path(outPath);
    if (!chosen.has_extension()) chosen += "." + ext;
    const fs::path name = forceExtension(chosen, ext);
    saveSelectedRows({{positional[0], *index, true}}, name, ctx);
    const bool whole = !report.stopped() && report.failureCount() == 0 &&
                       report.unreadableRows().empty() && !report.unsupportedFormat();
    if (toStandardOutput) {
        // Only a run that wrote its one file whole goes out.
        if (report.files().size() == 1 && whole) {
            if (copyToStream(report.folder() / report.files().front(), out)) return 0;
            err << "pellimar-cli save: cannot write to standard output\n";
            return 1;
        }
    } else {
        for (const fs::path& f : report.files()) out << (report.folder() / f).string() << "\n";
    }
    // A run that stopped at a file it could not write, or left out any file, failed,
    // whatever it wrote.
    if (!toStandardOutput && !report.files().empty() && whole) return 0;
    std::string why;
    if (report.stopped())
        why = problemText(*report.stopReason());
    else if (report.failureCount() > 0)
        why = problemText(report.failures().front());
    else if (!report.unreadableRows().empty())
        why = "cannot read icon " + positional[1] + " of " + positional[0] + ": " +
              report.unreadableRows().front().why.message();
    else if (!report.skippedRows().empty())
        why = "nothing written: " + problemText(report.skippedRows().front());
    else
        why = "nothing written";
    err << "pellimar-cli save: " << why << "\n";
    return 1;
}

}  // namespace pellimar::cli
