// The save command: the selected result rows written as .ico, .bmp, .jpg or .png
// files in the sizes of the export options, or as the icons' own icon files, under
// names formed by one rule. A run is planned first (export/save_plan.h: every file
// of every row, named once) and then runs its plan, working from each row's icon
// group in memory; its report says what it wrote, what it left out and why, and the
// window shows it. Here: what a run works with, the parts of the naming rule the
// dialogs share, and the whole command.
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
    // Unset: saveSelectedRows reads the rows' files through oneRunReader();
    // runSavePlan needs it set.
    RowGroupSource rowGroup;
    // Whether a file that exists already may be replaced. Unset: every one may.
    // A file it refuses is kept as it is and listed in the report as kept.
    std::function<bool(const std::filesystem::path& file)> mayReplace;
    // Set from another thread to end the run before its next row; the report then
    // says after how many rows it stopped.
    const std::atomic<bool>* stop = nullptr;
    // Counts the rows the run has begun, for another thread to show.
    std::atomic<int>* rowsBegun = nullptr;
    // Called before each row, before `stop` is looked at: may wait there (a paused
    // run writes nothing until it returns).
    std::function<void()> hold;
    // Told the index (among the rows given) of each row whose every file was
    // written, or kept where it existed at the person's word.
    std::function<void(std::size_t row)> rowDone;
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

// Plans the run of `rows` under `name` with ctx.settings and runs it
// (export/save_plan.h): every file the plan names is written, over a file at its
// name only where ctx.mayReplace allows. An extension of no format writes nothing
// and marks the report's format unsupported. The report's folder is set first; its
// lists must have been cleared by the caller. The plan and the run read the rows'
// files through one source: ctx.rowGroup, or oneRunReader() when it is unset.
void saveSelectedRows(const std::vector<SaveRow>& rows, const std::filesystem::path& name,
                      SaveContext& ctx);

// A source that reads the rows' files through a RowGroupReader of its own, for the
// plan and the run of one save. The reader keeps the last four files it opened
// (core/row_icons.h): the rows of one file, read one after another, open it once,
// but a file is opened again once four others have been opened after it. So the
// run does not open again what the plan read as long as at most four icon files
// are selected; with more, the plan and the run each open every one of them.
RowGroupSource oneRunReader();

// The questions "Save Selected" asks before anything is written: the export
// options (`showExportOptions` returns false when they are closed with the close
// box) and the Save dialog, starting from and updating `lastName`. Nothing when
// no row is selected or a dialog was cancelled; otherwise the name to save under,
// its extension forced to the format's.
std::optional<std::filesystem::path> askSaveName(const std::vector<SaveRow>& rows,
                                                 const AppSettings& settings, Desktop& desktop,
                                                 const std::function<bool()>& showExportOptions,
                                                 std::filesystem::path& lastName);
// The same for `selected` rows selected.
std::optional<std::filesystem::path> askSaveName(std::size_t selected, const AppSettings& settings,
                                                 Desktop& desktop,
                                                 const std::function<bool()>& showExportOptions,
                                                 std::filesystem::path& lastName);

}  // namespace pellimar
