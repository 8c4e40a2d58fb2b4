#include "core/settings.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "core/paths.h"
#include "platform/private_profile.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

constexpr const char* kSetupFile = "setup.ini";
constexpr const char* kSearchFile = "pellimarinfo.ini";

std::string flag(bool on) {
    return on ? "1" : "0";
}

// Every setup.ini key in the order the file is written.
std::vector<ProfileSection> setupSections(const AppSettings& s) {
    return {
        {"importoptions",
         {{"format_exe", flag(s.importExe)},
          {"format_dll", flag(s.importDll)},
          {"format_ico", flag(s.importIco)},
          {"format_icl", flag(s.importIcl)},
          {"max_units", std::to_string(s.importLimit)}}},
        {"exportoptions",
         {{"size_128", flag(s.saveSize128)},
          {"size_64", flag(s.saveSize64)},
          {"size_48", flag(s.saveSize48)},
          {"size_32", flag(s.saveSize32)},
          {"size_16", flag(s.saveSize16)},
          {"format", s.saveFormat}}},
        {"tipoptions", {{"show", flag(s.showTipsAtStart)}, {"num", std::to_string(s.tipNumber)}}},
    };
}

bool fileExists(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

}  // namespace

void loadSettings(AppSettings& s) {
    const fs::path file = settingsDir() / kSetupFile;
    if (!fileExists(file)) {
        // First start: the new-file values are written and used. A file that
        // cannot be created changes nothing about the values in use, and is told
        // when the settings are next saved.
        AppSettings fresh;
        fresh.searchSubfolders = s.searchSubfolders;
        fresh.clearResult = s.clearResult;
        s = fresh;
        (void)writeProfileSections(file, setupSections(s));
        return;
    }
    // One read of the file for every key.
    const ProfileFile profile(file);
    auto flagOf = [&](const char* section, const char* key, bool def) {
        return profile.integer(section, key, def ? 1 : 0) != 0;
    };
    s.importExe = flagOf("importoptions", "format_exe", true);
    s.importDll = flagOf("importoptions", "format_dll", true);
    s.importIco = flagOf("importoptions", "format_ico", false);
    s.importIcl = flagOf("importoptions", "format_icl", false);
    s.importLimit = profile.integer("importoptions", "max_units", 100);
    s.saveSize128 = flagOf("exportoptions", "size_128", true);
    s.saveSize64 = flagOf("exportoptions", "size_64", false);
    s.saveSize48 = flagOf("exportoptions", "size_48", false);
    s.saveSize32 = flagOf("exportoptions", "size_32", true);
    s.saveSize16 = flagOf("exportoptions", "size_16", true);
    s.saveFormat = profile.string("exportoptions", "format", "ico");
    s.showTipsAtStart = flagOf("tipoptions", "show", true);
    s.tipNumber = profile.integer("tipoptions", "num", 5);
}

Result<Done> saveSettings(const AppSettings& s) {
    const fs::path file = settingsDir() / kSetupFile;
    auto written = writeProfileSections(file, setupSections(s));
    if (!written) return written.failure().within(file.string());
    return Done{};
}

ListLayout loadListLayout() {
    ListLayout layout;
    const fs::path file = settingsDir() / kSetupFile;
    if (!fileExists(file)) return layout;
    const ProfileFile profile(file);
    const std::string view = profile.string("listview", "view", layout.view);
    if (view == "thumbnail" || view == "list" || view == "detail") layout.view = view;
    const int column = profile.integer("listview", "sort_column", -1);
    layout.sortColumn = column >= 0 && column < 4 ? column : -1;
    layout.ascending = profile.integer("listview", "sort_ascending", 1) != 0;
    for (int c = 0; c < 4; ++c) {
        const int width = profile.integer("listview", "width_" + std::to_string(c), 0);
        // A width no one could have dragged to is not taken.
        layout.columnWidths.push_back(width >= 8 && width <= 10000 ? width : 0);
    }
    return layout;
}

Result<Done> saveListLayout(const ListLayout& layout) {
    const fs::path file = settingsDir() / kSetupFile;
    std::vector<std::pair<std::string, std::string>> keys = {
        {"view", layout.view},
        {"sort_column", std::to_string(layout.sortColumn)},
        {"sort_ascending", flag(layout.ascending)}};
    for (std::size_t c = 0; c < layout.columnWidths.size(); ++c)
        keys.emplace_back("width_" + std::to_string(c), std::to_string(layout.columnWidths[c]));
    auto written = writeProfileStrings(file, "listview", keys);
    if (!written) return written.failure().within(file.string());
    return Done{};
}

std::string unableToWriteText(const Failure& why) {
    return "Unable to write to " + why.context;
}

fs::path searchOptionsFile() {
    return settingsDir() / kSearchFile;
}

Result<Done> saveSearchOptions(const AppSettings& s) {
    const fs::path file = searchOptionsFile();
    auto written = writeProfileStrings(
        file, "SearchOption",
        {{"searchchildfolder", flag(s.searchSubfolders)}, {"clearResult", flag(s.clearResult)}});
    if (!written) return written.failure().within(file.string());
    return Done{};
}

bool readSearchOptions(AppSettings& s) {
    const fs::path file = searchOptionsFile();
    std::error_code ec;
    if (!fileExists(file)) {
        // What a new file says.
        s.searchSubfolders = true;
        s.clearResult = false;
        return false;
    }
    if (!fs::is_regular_file(file, ec)) {
        s.searchSubfolders = s.clearResult = false;
        return true;
    }
    s.searchSubfolders = readProfileString(file, "SearchOption", "searchchildfolder", "1") == "1";
    s.clearResult = readProfileString(file, "SearchOption", "clearResult", "0") == "1";
    return true;
}

void loadSearchOptions(AppSettings& s) {
    const fs::path file = searchOptionsFile();
    if (readSearchOptions(s)) return;
    if (writeProfileStrings(file, "SearchOption",
                            {{"searchchildfolder", "1"}, {"clearResult", "0"}})) {
        s.searchSubfolders = true;
        s.clearResult = false;
    } else {
        s.searchSubfolders = s.clearResult = false;
    }
}

}  // namespace pellimar
