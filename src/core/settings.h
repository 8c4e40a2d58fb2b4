// The program's options in memory, and the two INI files that keep them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/failure.h"

namespace pellimar {

struct AppSettings {
    // setup.ini [importoptions]
    bool importExe = true;
    bool importDll = true;
    bool importIco = true;
    bool importIcl = false;
    int importLimit = 20;
    // setup.ini [exportoptions]
    bool saveSize128 = true;
    bool saveSize64 = false;
    bool saveSize48 = false;
    bool saveSize32 = true;
    bool saveSize16 = false;
    std::string saveFormat = "ico";
    // setup.ini [tipoptions]
    bool showTipsAtStart = false;
    int tipNumber = 5;
    // pellimarinfo.ini [SearchOption]
    bool searchSubfolders = true;
    bool clearResult = false;
};

// How the result list was laid out when the program last ended: setup.ini
// [listview], a section of its own beside the option sections, written alone.
struct ListLayout {
    std::string view = "detail";  // "thumbnail", "list" or "detail"
    int sortColumn = -1;          // the column sorted by; -1: none
    bool ascending = true;
    std::vector<int> columnWidths;  // the detail view's, by column; 0: its own
};
// What setup.ini says; the defaults where it says nothing (or nonsense).
ListLayout loadListLayout();
// Writes the [listview] section, the rest of the file as it was. Why not, when
// the file cannot be written; the failure's context is the file's name.
Result<Done> saveListLayout(const ListLayout& layout);

// Fill the setup.ini fields (creating the file with the new-file values when missing).
void loadSettings(AppSettings& s);
// Writes all thirteen setup.ini keys in one write: all reach the file or none
// does. Why not, when the file cannot be written; the failure's context is the
// file's name.
Result<Done> saveSettings(const AppSettings& s);
// What the error box says of settings that could not be saved:
// "Unable to write to <path>".
std::string unableToWriteText(const Failure& why);
// Fill the two search options from pellimarinfo.ini (creating it when missing).
void loadSearchOptions(AppSettings& s);
// Fill the two search options from pellimarinfo.ini as start-up reads them ("1"
// is on, a missing key takes the new file's value), creating nothing; a missing
// file gives the new file's values. False when there is no such file.
bool readSearchOptions(AppSettings& s);
// pellimarinfo.ini in the settings folder.
std::filesystem::path searchOptionsFile();
// Writes both search options ("1" or "0") in one write: both reach the file or
// neither does. Why not, when the file cannot be written; the failure's context
// is the file's name.
Result<Done> saveSearchOptions(const AppSettings& s);

}  // namespace pellimar
