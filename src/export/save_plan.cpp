#include "export/save_plan.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <stdexcept>
#include <system_error>
#include <unordered_set>

#include "core/file_names.h"
#include "core/row_icons.h"
#include "platform/image_choice.h"
#include "platform/output_files.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

bool sizeOn(const AppSettings& s, int width) {
    switch (width) {
        case 128:
            return s.saveSize128;
        case 64:
            return s.saveSize64;
        case 48:
            return s.saveSize48;
        case 32:
            return s.saveSize32;
        case 16:
            return s.saveSize16;
        default:
            return false;
    }
}

SaveFormat formatOf(const fs::path& name, const AppSettings& settings) {
    const std::string ext = upperCaseExtension(name);
    if (ext == ".ICO")
        return settings.saveFormat == "original" ? SaveFormat::Original : SaveFormat::Ico;
    if (ext == ".BMP") return SaveFormat::Bmp;
    if (ext == ".JPG") return SaveFormat::Jpg;
    if (ext == ".PNG") return SaveFormat::Png;
    return SaveFormat::Unsupported;
}

Failure notChosen(const std::string& why) {
    return failure(Fault::NotChosen, why);
}

// The planning of one row: `target` is the chosen name with the row's number.
struct RowPlanner {
    const AppSettings& settings;
    const RowGroupSource& rowGroup;
    PlannedRow& row;
    const fs::path& target;

    std::string plain() const { return target.filename().string(); }
    std::string cursorName() const { return forceExtension(target, "cur").filename().string(); }
    void add(const std::string& name, PlannedOutput output, int size = 0) {
        row.files.push_back({name, output, size});
    }

    // The group of an icon file's row, read for what its image is; nothing, with
    // the row unreadable, when it cannot be read.
    std::optional<IconGroup> imageGroup() {
        Result<IconGroup> group = rowGroup(row.row.source, row.row.iconPosition, row.row.kind);
        if (group && group->images.empty()) group = failure(Fault::NoImage);
        if (!group) {
            row.unreadable = group.failure();
            return std::nullopt;
        }
        return std::move(*group);
    }

    // An icon file's row in the ICO and picture formats: its one image, named by
    // the width its directory states (0 stands for 256, which is no size of ours),
    // when that size is chosen. In the ICO format a cursor's image stays a cursor,
    // with its hotspot, in a file named ".cur".
    void imageAtItsWidth(PlannedOutput output) {
        const std::optional<IconGroup> group = imageGroup();
        if (!group) return;
        const StoredImage& image = group->images.front();
        const int width = image.entry.width;
        if (!sizeOn(settings, width)) {
            row.rule = SaveRule::ImageSize;
            row.width = image.width();
            row.height = image.height();
            row.skipped =
                notChosen("its image is " + std::to_string(image.width()) + " x " +
                          std::to_string(image.height()) + ", and that size is not chosen");
            return;
        }
        const bool cursor =
            output == PlannedOutput::StoredIcon && group->identity.kind == ResourceKind::Cursor;
        add(std::to_string(width) + "-" + (cursor ? cursorName() : plain()), output,
            output == PlannedOutput::StoredIcon ? 0 : width);
    }

    // A program's icon at 32 and 16 pixels as the two size switches say: both on,
    // "32-" and "16-" files; one on, the name itself. The other sizes chosen are
    // left out by `rule`, and the report says so.
    void pairOfSizes(PlannedOutput output, SaveRule rule) {
        row.rule = rule;
        for (int size : {128, 64, 48})
            if (sizeOn(settings, size)) row.sizesLeftOut.push_back(size);
        if (settings.saveSize32 && settings.saveSize16) {
            add("32-" + plain(), output, 32);
            add("16-" + plain(), output, 16);
        } else {
            add(plain(), output, settings.saveSize32 ? 32 : 16);
        }
    }

    void ico() {
        if (row.imageRow) return imageAtItsWidth(PlannedOutput::StoredIcon);
        // A program's cursor group: the cursor file it is stored as, every image with
        // its hotspot. The sizes are not applied: a hotspot belongs to the image it
        // was drawn for.
        if (row.row.kind == ResourceKind::Cursor)
            return add(cursorName(), PlannedOutput::StoredIcon);
        if (!settings.saveSize32 && !settings.saveSize16) {
            row.rule = SaveRule::ProgramIconFile;
            row.skipped = notChosen(
                "icon files of programs are saved at 32 and 16 pixels, and neither is chosen");
            return;
        }
        pairOfSizes(PlannedOutput::ReducedIcon, SaveRule::ProgramIconFile);
    }

    // False when the row takes no number.
    bool picture() {
        if (row.imageRow) {
            imageAtItsWidth(PlannedOutput::Picture);
            return true;
        }
        if (!settings.saveSize32 && !settings.saveSize16) {
            row.rule = SaveRule::ProgramPicture;
            row.skipped = notChosen(
                "pictures of programs are saved at 32 and 16 pixels, and neither is chosen");
            return false;
        }
        pairOfSizes(PlannedOutput::Picture, SaveRule::ProgramPicture);
        return true;
    }

    // Each size that is on, largest first; with more than one, each file's name
    // starts with "<size>-".
    void png() {
        std::vector<int> sizes;
        for (int size : {128, 64, 48, 32, 16})
            if (sizeOn(settings, size)) sizes.push_back(size);
        if (sizes.empty()) {
            row.rule = SaveRule::ChosenSizes;
            row.skipped = notChosen("no size is chosen");
            return;
        }
        for (int size : sizes)
            add(sizes.size() > 1 ? std::to_string(size) + "-" + plain() : plain(),
                PlannedOutput::Png, size);
    }

    // The icon as stored, sizes aside; a cursor (a program's cursor group, or the
    // image of a cursor file) as the cursor file it is, named ".cur".
    void original() {
        bool cursor = row.row.kind == ResourceKind::Cursor;
        if (row.imageRow) {
            const std::optional<IconGroup> group = imageGroup();
            if (!group) return;
            cursor = group->identity.kind == ResourceKind::Cursor;
        }
        add(cursor ? cursorName() : plain(), PlannedOutput::StoredIcon);
    }
};

}  // namespace

SavePlanner::SavePlanner(const RowTable& rows, const fs::path& name, const AppSettings& settings,
                         const RowGroupSource& rowGroup)
    : rows_(rows),
      settings_(settings),
      rowGroup_(rowGroup),
      name_(name),
      format_(formatOf(name, settings)),
      folder_(name_.dir),
      selected_(rows.selectedCount()) {}

void SavePlanner::restart() {
    at_ = 0;
    counter_ = 0;
}

bool SavePlanner::next(PlannedRow& planned) {
    if (format_ == SaveFormat::Unsupported) return false;
    while (at_ < rows_.size()) {
        const std::size_t index = at_++;
        if (!rows_.rows[index].selected) continue;
        planned = PlannedRow{};
        planned.row = rows_.at(index);
        planned.index = index;
        const SaveRow& row = planned.row;
        planned.caption = rowCaption(row.source, row.iconPosition, row.kind);
        planned.imageRow = rowsAreImages(row.source);
        const fs::path target = name_.target(saveNumberSuffix(counter_, int(selected_)));
        RowPlanner planner{settings_, rowGroup_, planned, target};
        bool numbered = true;
        switch (format_) {
            case SaveFormat::Ico:
                planner.ico();
                break;
            case SaveFormat::Original:
                planner.original();
                break;
            case SaveFormat::Bmp:
            case SaveFormat::Jpg:
                numbered = planner.picture();
                break;
            case SaveFormat::Png:
                planner.png();
                break;
            case SaveFormat::Unsupported:
                break;
        }
        if (numbered) ++counter_;
        return true;
    }
    return false;
}

SavePlan planSave(const std::vector<SaveRow>& rows, const fs::path& name,
                  const AppSettings& settings, const RowGroupSource& rowGroup) {
    const RowTable table = RowTable::of(rows);
    SavePlanner planner(table, name, settings, rowGroup);
    SavePlan plan;
    plan.folder = planner.folder();
    plan.format = planner.format();
    for (PlannedRow row; planner.next(row);) plan.rows.push_back(std::move(row));
    return plan;
}

std::vector<fs::path> findExistingFiles(SavePlanner& planner) {
    // The folder's names, read once: a lookup of each of hundreds of thousands of
    // planned names would cost a system call each. A folder that cannot be read
    // is asked name by name.
    std::unordered_set<std::string> names;
    std::error_code ec;
    bool listed = true;
    for (fs::directory_iterator it(planner.folder(), ec), end; !ec && it != end; it.increment(ec))
        names.insert(it->path().filename().native());
    if (ec && ec != std::errc::no_such_file_or_directory) listed = false;
    std::vector<fs::path> existing;
    std::set<fs::path> seen;
    planner.restart();
    for (PlannedRow row; planner.next(row);)
        for (const PlannedFile& file : row.files) {
            const fs::path path = planner.pathOf(file);
            const bool exists = listed ? names.count(file.name.native()) > 0
                                       : fs::exists(fs::symlink_status(path, ec));
            if (exists && seen.insert(path).second) existing.push_back(path);
        }
    return existing;
}

void findExistingFiles(SavePlan& plan) {
    plan.existing.clear();
    std::set<fs::path> seen;
    for (const PlannedRow& row : plan.rows)
        for (const PlannedFile& file : row.files) {
            const fs::path path = plan.pathOf(file);
            std::error_code ec;
            if (fs::exists(fs::symlink_status(path, ec)) && seen.insert(path).second)
                plan.existing.push_back(path);
        }
}

namespace {

// Whether the pixels the reduction keeps (those it does not make transparent) hold
// more than 256 colours: a palette of the picture's own colours keeps fewer whole.
// Counted in a small table of its own, as this is asked of every icon a run reduces.
bool moreThan256Colours(const Icon& icon) {
    constexpr std::uint32_t kSlots = 1024;  // a power of two, well above 257
    constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    std::array<std::uint32_t, kSlots> table;
    table.fill(kEmpty);
    int distinct = 0;
    for (const std::uint32_t c : icon.color) {
        const bool clear = icon.hasAlpha && (c >> 24) < 128;
        const std::uint32_t rgb = clear ? 0u : c & 0xFFFFFFu;
        std::uint32_t slot = (rgb * 2654435761u) >> 22;  // the top 10 bits
        while (table[slot] != kEmpty && table[slot] != rgb) slot = (slot + 1) & (kSlots - 1);
        if (table[slot] == kEmpty) {
            table[slot] = rgb;
            if (++distinct > 256) return true;
        }
    }
    return false;
}

bool softAlpha(const Icon& icon) {
    return icon.hasAlpha && std::any_of(icon.color.begin(), icon.color.end(), [](std::uint32_t c) {
               const std::uint32_t alpha = c >> 24;
               return alpha != 0 && alpha != 0xFF;
           });
}

// What reducing `made`, the icon brought to `size` from the group's best image for
// it, to 16 or 256 colours with a 1-bit mask gives up of that image: colours, where
// it has more than 8 bits a pixel and more than 256 colours, and transparency in
// steps between none and whole. Said of the image as stored: the steps and colours
// that bringing it to its size adds are not its own, so an image that was brought
// to another size is looked at itself.
void noteReduction(const IconGroup& group, int size, const Icon& made, SaveReduction& reduction) {
    const bool colours =
        reduction.storedDepth == 0 && made.bitCount > 8 && moreThan256Colours(made);
    const bool alpha = !reduction.alphaDropped && softAlpha(made);
    if (!colours && !alpha) return;
    std::vector<ImageFacts> facts;
    facts.reserve(group.images.size());
    for (const StoredImage& image : group.images)
        facts.push_back(factsOf(image, SizePolicy::LikeWindows));
    const int best = chooseImage(facts, size, SizePolicy::LikeWindows);
    Icon decoded;
    if (best >= 0 && (facts[std::size_t(best)].width != made.width ||
                      facts[std::size_t(best)].height != made.height))
        if (Result<Icon> stored = decodeStoredImage(group.images[std::size_t(best)]))
            decoded = std::move(*stored);
    const Icon& own = decoded.empty() ? made : decoded;
    if (colours && moreThan256Colours(own))
        reduction.storedDepth = std::max(reduction.storedDepth, own.bitCount);
    if (alpha && softAlpha(own)) reduction.alphaDropped = true;
}

// One run of a plan.
class PlanRun {
  public:
    PlanRun(SaveFormat format, const fs::path& folder, int rows, SaveContext& ctx)
        : format_(format), folder_(folder), rows_(rows), ctx_(ctx), report_(ctx.report) {}

    // Every row `next` gives, until the person stops the run or a file that
    // cannot be written ends it.
    template <typename Next>
    void run(Next&& next) {
        PlannedRow row;
        while (next(row)) {
            if (!beginRow()) break;
            rowWhole_ = true;
            const bool goOn = saveRow(row);
            if (rowWhole_ && !row.files.empty() && !row.skipped && !row.unreadable && ctx_.rowDone)
                ctx_.rowDone(row.index);
            if (!goOn) break;
        }
    }

  private:
    // Called before each row: false when the run is to end here, which the report
    // is told. Counts the row otherwise.
    bool beginRow() {
        if (ctx_.hold) ctx_.hold();
        const int begun = ctx_.rowsBegun ? ctx_.rowsBegun->load() : 0;
        if (ctx_.stop && ctx_.stop->load()) {
            report_.stopByRequest(begun, rows_);
            return false;
        }
        if (ctx_.rowsBegun) ctx_.rowsBegun->store(begun + 1);
        return true;
    }

    // How `file` is written: over a file at its name only where the run may replace
    // it; elsewhere it is placed only where no file is at that moment, and a file
    // found there stays as it is (the write says Kept). Nothing is looked at first:
    // a file that comes to the name while the run goes on is kept all the same.
    WriteOptions writeOptionsFor(const fs::path& file) const {
        WriteOptions options;
        if (ctx_.mayReplace && !ctx_.mayReplace(file)) options.replace = Replace::Never;
        return options;
    }

    // What the rows of one source have written of their icons as stored: a file
    // whose groups name the same images over and over cannot make the run write
    // without end.
    OutputBudget& budgetOf(const fs::path& source) {
        auto it = budgets_.find(source);
        if (it == budgets_.end()) {
            std::error_code ec;
            const std::uint64_t size = fs::file_size(source, ec);
            it = budgets_.emplace(source, OutputBudget(ec ? 0 : size)).first;
        }
        return it->second;
    }

    // Makes no file: tells the report the row could not be read.
    void unreadable(const PlannedRow& row, const Failure& why) {
        rowWhole_ = false;
        report_.addUnreadableRow(row.caption, why);
    }

    // A file that could not be made or written: told, and the run goes on where its
    // format does (ICO), or ends here. An output cap reached never ends the run.
    bool notWritten(const PlannedFile& file, const Failure& why) {
        rowWhole_ = false;
        if (format_ == SaveFormat::Ico || why.cap == Cap::OutputBytes) {
            report_.addFailure(pathOf(file), why);
            return true;
        }
        report_.stopAt(pathOf(file), why);
        return false;
    }

    fs::path pathOf(const PlannedFile& file) const { return folder_ / file.name; }

    // Writes a made file; false when the run is to end here. A file written goes in
    // the report (or waits in the run's batch, whose commit tells what became of
    // it); one whose name was taken where the run may not replace goes in as kept.
    bool place(const PlannedFile& file, const OutputFile& bytes, OutputBudget* budget = nullptr) {
        const fs::path target = pathOf(file);
        const Result<Placed> placed = writeOutput(target, bytes, writeOptionsFor(target), budget);
        if (!placed) return notWritten(file, placed.failure());
        if (*placed == Placed::Kept)
            report_.addKept(file.name);
        else
            report_.add(file.name);
        return true;
    }

    bool saveRow(const PlannedRow& row) {
        if (row.unreadable) {
            unreadable(row, *row.unreadable);
            return true;
        }
        if (row.skipped) {
            report_.addSkippedRow(row.caption, *row.skipped, row.rule, row.width, row.height);
            return true;
        }
        if (row.files.empty()) return true;
        // A position that has no icon (any more) gives no file.
        Result<IconGroup> group = ctx_.rowGroup(row.row.source, row.row.iconPosition, row.row.kind);
        if (group && group->images.empty()) group = failure(Fault::NoImage);
        if (!group) {
            unreadable(row, group.failure());
            return true;
        }
        switch (row.files.front().output) {
            case PlannedOutput::StoredIcon:
                return storedIcon(row, *group);
            case PlannedOutput::ReducedIcon:
                return reducedIcons(row, *group);
            case PlannedOutput::Picture:
                return pictures(row, *group);
            case PlannedOutput::Png:
                return pngs(row, *group);
        }
        return true;
    }

    // The group as stored, written from the images as held (an image named many
    // times is held once); a row of an icon file is its one image.
    bool storedIcon(const PlannedRow& row, const IconGroup& group) {
        Result<OutputFile> file = storedIconFile(group);
        if (!file) {
            unreadable(row, file.failure());
            return true;
        }
        return place(row.files.front(), *file, &budgetOf(row.row.source));
    }

    // Every size is made before any is written: a row that cannot give one writes
    // none.
    bool reducedIcons(const PlannedRow& row, const IconGroup& group) {
        std::vector<Icon> icons;
        SaveReduction reduction{row.caption, row.rule, row.sizesLeftOut};
        for (const PlannedFile& file : row.files) {
            Result<Icon> icon = iconAtSize(group, file.size);
            if (!icon) {
                unreadable(row, icon.failure());
                return true;
            }
            noteReduction(group, file.size, *icon, reduction);
            icons.push_back(std::move(*icon));
        }
        if (reduction.any()) report_.addReduction(std::move(reduction));
        for (std::size_t i = 0; i < row.files.size(); ++i) {
            const Result<OutputFile> file = reducedIconFile(icons[i]);
            if (!(file ? place(row.files[i], *file) : notWritten(row.files[i], file.failure())))
                return false;
        }
        return true;
    }

    // An icon file's image drawn on white at the width its directory states, never
    // scaled; a program's icon drawn at 32 pixels, its smaller pictures made from
    // that one by dropping pixels.
    bool pictures(const PlannedRow& row, const IconGroup& group) {
        const Result<Icon> icon =
            row.imageRow ? decodeStoredImage(group.images.front()) : iconAtSize(group, 32);
        if (!icon) {
            unreadable(row, icon.failure());
            return true;
        }
        if (!row.sizesLeftOut.empty())
            report_.addReduction({row.caption, row.rule, row.sizesLeftOut});
        const int drawnAt = row.imageRow ? row.files.front().size : 32;
        const RgbImage drawn = drawnOnWhite(*icon, drawnAt, drawnAt);
        for (const PlannedFile& file : row.files) {
            RgbImage smaller;
            if (file.size != drawnAt) smaller = stretchNearest(drawn, file.size, file.size);
            const RgbImage& picture = file.size != drawnAt ? smaller : drawn;
            const Result<OutputFile> bytes =
                format_ == SaveFormat::Bmp ? bmpFile(picture) : jpegFile(picture);
            if (!(bytes ? place(file, *bytes) : notWritten(file, bytes.failure()))) return false;
        }
        return true;
    }

    // Each size from the row's best image for it, brought to that size; a size
    // that cannot be made ends the row. A picture that cannot be encoded is told
    // as a file not written and the run goes on; a file that cannot be written
    // ends the run.
    bool pngs(const PlannedRow& row, const IconGroup& group) {
        for (const PlannedFile& file : row.files) {
            const Result<Icon> icon = iconAtSize(group, file.size, SizePolicy::LikeWindows);
            if (!icon) {
                unreadable(row, icon.failure());
                return true;
            }
            const Result<OutputFile> bytes = pngFile(*icon);
            if (!bytes) {
                rowWhole_ = false;
                report_.addFailure(pathOf(file), bytes.failure());
                continue;
            }
            if (!place(file, *bytes)) return false;
        }
        return true;
    }

    const SaveFormat format_;
    const fs::path folder_;
    const int rows_;
    SaveContext& ctx_;
    SaveReport& report_;
    std::map<fs::path, OutputBudget> budgets_;
    bool rowWhole_ = true;  // every file of the row in hand was placed so far
};

// Each file the report lists as written is so only once it has its name: one
// whose name was taken meanwhile is kept, and one that could not be placed failed.
void tellPlaced(const std::vector<WriteOutcome>& outcomes, SaveReport& report) {
    for (const WriteOutcome& outcome : outcomes) {
        if (outcome.placed && *outcome.placed == Placed::Written) continue;
        report.remove(outcome.target.filename());
        if (outcome.placed)
            report.addKept(outcome.target.filename());
        else
            report.addFailure(outcome.target, outcome.placed.failure());
    }
}

}  // namespace

namespace {

// The run of the rows `next` gives, as runSavePlan() says.
template <typename Next>
void runRows(SaveFormat format, const fs::path& folder, int rows, Next&& next, SaveContext& ctx) {
    ctx.report.setFolder(folder / "");
    if (format == SaveFormat::Unsupported) {
        ctx.report.setUnsupportedFormat();
        return;
    }
    // The plan was made through a reader, and the run reads through the same one:
    // the caller chooses it, so that the two cannot differ.
    if (!ctx.rowGroup) throw std::logic_error("a save run was given no reader for its rows");
    // Every file of the run reaches the disk in a few flushes, not two per file.
    WriteBatch batch;
    try {
        PlanRun(format, folder, rows, ctx).run(next);
    } catch (...) {
        // The files made before what the run threw are placed all the same: the
        // report says what became of them.
        tellPlaced(batch.commit(), ctx.report);
        throw;
    }
    tellPlaced(batch.commit(), ctx.report);
}

}  // namespace

void runSavePlan(const SavePlan& plan, SaveContext& ctx) {
    std::size_t at = 0;
    runRows(
        plan.format, plan.folder, int(plan.rows.size()),
        [&](PlannedRow& row) {
            if (at == plan.rows.size()) return false;
            row = plan.rows[at++];
            return true;
        },
        ctx);
}

void runSavePlan(SavePlanner& planner, SaveContext& ctx) {
    runRows(
        planner.format(), planner.folder(), int(planner.selectedCount()),
        [&](PlannedRow& row) { return planner.next(row); }, ctx);
}

}  // namespace pellimar
