// The plan of one save run: every selected row with each file it will write (its
// name, what it is made of and at what size) or why it writes nothing, and which of
// the files exist already, worked out once from the rows, the name chosen and the
// export options before anything is written. The question about files that exist
// and the run both work from it: the run writes the files the plan names, and no
// other.
//
// The naming rule (chosen name "x.ico" and its folder; with two rows or more
// selected, each row's name takes its running number, "x-001.ico"):
//   .ico          a program's icon: its best image for 32 and for 16 pixels,
//                 reduced to 16 or 256 colours, as "32-x.ico" and "16-x.ico", or
//                 as "x.ico" when one of the two sizes is chosen; a program's
//                 cursor: the cursor file it is stored as, "x.cur", sizes aside;
//                 a row of an icon or cursor file: its image as stored, named by
//                 the width its directory states, "48-x.ico" ("48-x.cur"), when that
//                 size is chosen;
//   .ico, format "original"  every row's icon as stored, "x.ico" ("x.cur");
//   .bmp, .jpg    a program's icon drawn on white at 32 pixels, and at 16 by
//                 dropping every other pixel of that, named as for .ico (a row
//                 whose neither size is chosen takes no number); a row of an icon
//                 file: its image drawn on white at the width stated, "48-x.bmp";
//   .png          the row's icon at each size chosen with its transparency,
//                 "128-x.png"..., or "x.png" for one size.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "export/save_command.h"
#include "export/save_report.h"
#include "platform/failure.h"

namespace pellimar {

// The formats a save writes: by the chosen name's extension, and for ".ico" the
// format setting.
enum class SaveFormat { Ico, Original, Bmp, Jpg, Png, Unsupported };

// What one planned file is made of.
enum class PlannedOutput {
    StoredIcon,   // the row's icon as stored: every image of its group, or the one
                  // image of an icon file's row, as an icon or cursor file
    ReducedIcon,  // the row's icon at `size`, reduced to 16 or 256 colours
    Picture,      // the row's icon drawn on white at `size` (BMP or JPEG)
    Png,          // the row's icon at `size`, with its transparency
};

struct PlannedFile {
    std::filesystem::path name;  // in the plan's folder
    PlannedOutput output = PlannedOutput::StoredIcon;
    int size = 0;  // pixels a side; 0 for StoredIcon
};

struct PlannedRow {
    SaveRow row;
    std::size_t index = 0;           // the row's place among the rows given
    std::string caption;             // how the report names the row ("shell32.dll-004")
    bool imageRow = false;           // a row of an icon or cursor file: one image of it
    std::vector<PlannedFile> files;  // in the order they are written
    // Why the row writes nothing: the choices leave it out (Fault::NotChosen), or
    // its icon could not be read while planning.
    std::optional<Failure> skipped;
    std::optional<Failure> unreadable;
    // The rule of the format that leaves the row out (`skipped`) or saves less of
    // it than was chosen (`sizesLeftOut`), with the size of an icon file's image
    // for SaveRule::ImageSize.
    SaveRule rule = SaveRule::None;
    int width = 0, height = 0;
    std::vector<int> sizesLeftOut;  // chosen sizes the rule does not write, largest first
};

struct SavePlan {
    SaveFormat format = SaveFormat::Unsupported;
    std::filesystem::path folder;  // the chosen name's
    std::vector<PlannedRow> rows;  // the selected rows, in order
    // The planned files, with their folder, that existed when findExistingFiles()
    // looked; each once, in the plan's order. The window asks about them before
    // the run; a run that replaces every file (the command line's) does not look.
    std::vector<std::filesystem::path> existing;

    std::filesystem::path pathOf(const PlannedFile& file) const { return folder / file.name; }
};

// The plan of a save worked out a row at a time, in order, as the run (or the
// look for files that exist) asks for it: a run of hundreds of thousands of rows
// holds one planned row, not all of them, and begins writing without planning
// every row first. Each row is planned exactly as planSave() plans it.
class SavePlanner {
  public:
    // `rows`, `settings` and `rowGroup` must outlive the planner.
    SavePlanner(const RowTable& rows, const std::filesystem::path& name,
                const AppSettings& settings, const RowGroupSource& rowGroup);

    SaveFormat format() const { return format_; }
    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path pathOf(const PlannedFile& file) const { return folder_ / file.name; }
    std::size_t selectedCount() const { return selected_; }

    // The plan of the next selected row; false after the last (and for a format
    // that writes nothing).
    bool next(PlannedRow& row);
    // Back to the first row.
    void restart();

  private:
    const RowTable& rows_;
    const AppSettings& settings_;
    const RowGroupSource& rowGroup_;
    SaveName name_;
    SaveFormat format_;
    std::filesystem::path folder_;
    std::size_t selected_ = 0;
    std::size_t at_ = 0;  // the next row of rows_ to look at
    int counter_ = 0;     // the running number of the next numbered row
};

// The plan of saving the selected ones of `rows` under `name` (its extension
// forced already) with `settings`. The rows of icon files are read through
// `rowGroup`, each once, for what their image is; no other row is read.
SavePlan planSave(const std::vector<SaveRow>& rows, const std::filesystem::path& name,
                  const AppSettings& settings, const RowGroupSource& rowGroup);

// Fills plan.existing from what is on the disk now.
void findExistingFiles(SavePlan& plan);
// The files `planner` names that exist now, with their folder, each once in the
// plan's order: the folder is read once, not each name looked up. Leaves the
// planner at its end.
std::vector<std::filesystem::path> findExistingFiles(SavePlanner& planner);

// Runs `plan`: for each row, before which ctx.stop may end the run, its group is
// read through ctx.rowGroup and each of its planned files made and written, with
// Replace::Always where ctx.mayReplace allows (every file when it is unset) and
// Replace::Never elsewhere; the report says what became of each row and file. The
// ICO format goes on past a file it cannot make or write; the others stop there
// (the report says where), keeping the files written before, except that the PNG
// format tells a picture it cannot encode as a file not written and goes on to the
// next. Every file reaches the disk in a few flushes, in one WriteBatch; what the
// run throws ends it, with the report told what became of the files made before.
// ctx.rowGroup is the source the plan was made through, which the caller sets
// (std::logic_error when it is unset).
void runSavePlan(const SavePlan& plan, SaveContext& ctx);
// The same for the rows `planner` plans from where it stands, each planned as the
// run comes to it; ctx.rowDone hears of each row whose every file was written or
// kept.
void runSavePlan(SavePlanner& planner, SaveContext& ctx);

}  // namespace pellimar
