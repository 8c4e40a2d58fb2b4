// The save command: the selected result rows written as .ico, .bmp, .jpg or .png
// files in the sizes of the export options, or as the icons' own icon files, under
// names formed by one rule.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/desktop.h"
#include "core/result_rows.h"
#include "core/settings.h"
#include "export/icon_services.h"
#include "export/save_report.h"

namespace pellimar {

// What the save command needs of a result row: source, icon position, selection.
using SaveRow = ResultRowInfo;

// Everything one run works with.
struct SaveContext {
    const AppSettings& settings;
    SaveReport& report;
    Desktop& desktop;
    const IconServices& icons;
};

// The name the rows' file names are formed from, taken apart once per run.
struct SaveName {
    std::filesystem::path dir;  // the folder of the chosen name
    std::string stem;           // the file name without its extension
    std::string ext;            // the extension with its dot
    explicit SaveName(const std::filesystem::path& chosen);
    // dir / (stem + suffix + ext)
    std::filesystem::path target(const std::string& suffix) const;
};

// "-001", "-002"... for running number `counter` (from 0) when at least two rows
// are selected; empty otherwise.
std::string saveNumberSuffix(int counter, int selectedCount);

// The Save dialog's filter and default extension for a `format` setting.
FileDialogRequest saveDialogRequest(const std::string& format);

// The extension of `chosen` (from the last dot of its name) replaced by
// `defaultExt` (given without its dot), or added to a name without a dot:
// "icons.png" -> "icons.ico", "a.jpeg" -> "a.ico", "my.icons" -> "my.ico",
// "icons" -> "icons.ico".
std::filesystem::path forceExtension(const std::filesystem::path& chosen,
                                     const std::string& defaultExt);

// One image of an .ico source saved as "<width>-" + the target's file name when
// the width is 16, 32, 48, 64 or 128 and that size is on. The full name of the
// file written, or empty. An unreadable source shows "save falsed".
std::filesystem::path saveIcoImageAsIco(const std::filesystem::path& source,
                                        const std::filesystem::path& target, int iconIndex,
                                        SaveContext& ctx);
std::filesystem::path saveIcoImageAsBmp(const std::filesystem::path& source,
                                        const std::filesystem::path& target, int iconIndex,
                                        SaveContext& ctx);
std::filesystem::path saveIcoImageAsJpg(const std::filesystem::path& source,
                                        const std::filesystem::path& target, int iconIndex,
                                        SaveContext& ctx);

// The three runs over the selected rows. The ICO run skips rows that fail; the
// BMP and JPEG runs throw std::runtime_error at the first file that cannot be
// written, leaving the files written before it.
void saveSelectedAsIco(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx);
void saveSelectedAsBmp(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx);
void saveSelectedAsJpg(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx);

// Each size that is on, from the row's best image for it, as a PNG file with its
// transparency; with more than one size on, each file's name starts with "<size>-".
// A row of an .ico source is its one image brought to each size. Throws
// std::runtime_error at the first file that cannot be written.
void saveSelectedAsPng(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx);
// One icon file per row holding every image of the row's icon as stored, sizes
// ignored; a row of an .ico source gives its one image. Throws std::runtime_error
// at the first file that cannot be written.
void saveSelectedAsOriginal(const std::vector<SaveRow>& rows, const SaveName& name,
                            SaveContext& ctx);

// Runs the one that fits the extension of `name` (after forcing); .ico names go to
// the original-icon run when the format setting is "original". For any other
// extension shows "This file format is not supported now. Failed to save!".
// The report's folder is set first; its list must have been cleared by the caller.
void saveSelectedRows(const std::vector<SaveRow>& rows, const std::filesystem::path& name,
                      SaveContext& ctx);

// The whole command behind "Save Selected": export options (`showExportOptions`
// returns false when it is closed with the close box), the Save dialog (starting
// from and updating `lastName`), the run and the report (`showReport`). False
// when it stopped before writing (nothing selected or a dialog cancelled).
bool runSaveCommand(const std::vector<SaveRow>& rows, SaveContext& ctx,
                    const std::function<bool()>& showExportOptions,
                    const std::function<void()>& showReport, std::filesystem::path& lastName);

}  // namespace pellimar
