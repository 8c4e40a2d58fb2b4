// The save command: the selected result rows written as .ico, .bmp, .jpg or .png
// files in the sizes of the export options, or as the icons' own icon files, under
// names formed by one rule. It works from each row's icon group in memory and
// says in its report what it wrote, what it left out and why; the window shows it.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/desktop.h"
#include "core/result_rows.h"
#include "core/settings.h"
#include "export/save_report.h"
#include "platform/failure.h"
#include "platform/icon_set.h"

namespace pellimar {

// What the save command needs of a result row: source, icon position, selection.
using SaveRow = ResultRowInfo;

// The icon group of a row in memory (see core/row_icons.h); tests hand in their own.
using RowGroupSource = std::function<Result<IconGroup>(const std::filesystem::path& source,
                                                       int position, ResourceKind kind)>;

// Everything one run works with.
struct SaveContext {
    const AppSettings& settings;
    SaveReport& report;
    // Unset: the rows' files are read, each once per run.
    RowGroupSource rowGroup;
    // Whether a file that exists already may be replaced. Unset: every one may.
    // A file it refuses is kept as it is and listed in the report as kept.
    std::function<bool(const std::filesystem::path& file)> mayReplace;
    // Set from another thread to end the run before its next row; the report then
    // says after how many rows it stopped.
    const std::atomic<bool>* stop = nullptr;
    // Counts the rows the run has begun, for another thread to show.
    std::atomic<int>* rowsBegun = nullptr;
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

// Rows of icon files (named ".ico"): the row's one image saved as "<width>-" +
// the target's file name when its stored width is 16, 32, 48, 64 or 128 and that
// size is on (other widths are skipped rows). The full name of the file written,
// or empty.
std::filesystem::path saveIcoImageAsIco(const SaveRow& row, const std::filesystem::path& target,
                                        SaveContext& ctx);

// The runs over the selected rows. The ICO run goes on past rows that fail; the
// BMP, JPEG, PNG and original-icon runs stop at the first file that cannot be
// written (the report says where), keeping the files written before it.
void saveSelectedAsIco(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx);
void saveSelectedAsBmp(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx);
void saveSelectedAsJpg(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx);
// Each size that is on, from the row's best image for it, as a PNG file with its
// transparency; with more than one size on, each file's name starts with "<size>-".
// A row of an .ico source is its one image brought to each size.
void saveSelectedAsPng(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx);
// One icon file per row holding every image of the row's icon as stored, sizes
// ignored; a row of an .ico source gives its one image.
void saveSelectedAsOriginal(const std::vector<SaveRow>& rows, const SaveName& name,
                            SaveContext& ctx);

// Runs the one that fits the extension of `name` (after forcing); .ico names go to
// the original-icon run when the format setting is "original". Any other extension
// writes nothing and marks the report's format unsupported. The report's folder
// is set first; its lists must have been cleared by the caller.
void saveSelectedRows(const std::vector<SaveRow>& rows, const std::filesystem::path& name,
                      SaveContext& ctx);

// Every file saveSelectedRows would write for `rows` under `name` with the same
// settings, in order, worked out from the names alone (a row of an icon file has
// its group read for the width of its image). Rows that turn out unreadable or
// without an image to save write fewer.
std::vector<std::filesystem::path> plannedSaveFiles(const std::vector<SaveRow>& rows,
                                                    const std::filesystem::path& name,
                                                    SaveContext& ctx);

// The questions "Save Selected" asks before anything is written: the export
// options (`showExportOptions` returns false when they are closed with the close
// box) and the Save dialog, starting from and updating `lastName`. Nothing when
// no row is selected or a dialog was cancelled; otherwise the name to save under,
// its extension forced to the format's.
std::optional<std::filesystem::path> askSaveName(const std::vector<SaveRow>& rows,
                                                 const AppSettings& settings, Desktop& desktop,
                                                 const std::function<bool()>& showExportOptions,
                                                 std::filesystem::path& lastName);

}  // namespace pellimar
