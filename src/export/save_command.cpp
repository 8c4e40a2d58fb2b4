#include "export/save_command.h"

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

#include "core/file_names.h"
#include "core/row_icons.h"
#include "export/save_icon_as_ico.h"
#include "platform/atomic_file.h"
#include "platform/bmp_file.h"
#include "platform/caps.h"
#include "platform/icon_decode.h"
#include "platform/icon_file_encoder.h"
#include "platform/icon_png.h"
#include "platform/image_choice.h"
#include "platform/jpeg_file.h"
#include "platform/raster.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

enum class PictureFormat { Bmp, Jpg };

// A file that cannot be written ends a picture run; saveSelectedRows catches it.
struct RunStopped : std::runtime_error {
    using std::runtime_error::runtime_error;
};

int selectedCount(const std::vector<SaveRow>& rows) {
    return int(
        std::count_if(rows.begin(), rows.end(), [](const SaveRow& r) { return r.selected; }));
}

bool sizeOn(const AppSettings& s, int width) {
    switch (width) {
        case 128:
            return s.size_128;
        case 64:
            return s.size_64;
        case 48:
            return s.size_48;
        case 32:
            return s.size_32;
        case 16:
            return s.size_16;
        default:
            return false;
    }
}

// What the rows of one source file may make a run write (outputCapOf), said.
std::string outputCapText(std::uint64_t cap) {
    return "The icons of one file may make a save write at most " + std::to_string(cap >> 20) +
           " MB (" + std::to_string(kMinOutputCap >> 20) + " MB, or " +
           std::to_string(kOutputCapFactor) + " times the file's size when that is more).";
}

std::string caption(const SaveRow& row) {
    return rowCaption(row.source, row.iconPosition, row.kind);
}

// A run given no source of its own reads through one reader while it lasts: the
// rows of one file read its directories once, and the next run reads afresh.
class RunReader {
  public:
    explicit RunReader(SaveContext& ctx) : ctx_(ctx), own_(!ctx.rowGroup) {
        if (!own_) return;
        auto reader = std::make_shared<RowGroupReader>();
        ctx.rowGroup = [reader](const fs::path& source, int position, ResourceKind kind) {
            return reader->read(source, position, kind);
        };
    }
    ~RunReader() {
        if (own_) ctx_.rowGroup = nullptr;
    }
    RunReader(const RunReader&) = delete;
    RunReader& operator=(const RunReader&) = delete;

  private:
    SaveContext& ctx_;
    bool own_;
};

// The row's icon group, or nothing with the row counted as unreadable.
std::optional<IconGroup> groupOf(const SaveRow& row, SaveContext& ctx) {
    Result<IconGroup> group = ctx.rowGroup(row.source, row.iconPosition, row.kind);
    if (!group) {
        ctx.report.addUnreadableRow(caption(row), group.failure());
        return std::nullopt;
    }
    return std::move(*group);
}

// How `file` is written: over a file at its name only where the run may replace
// it; elsewhere it is placed only where no file is at that moment, and a file
// found there stays as it is (the write says Kept). Nothing is looked at first:
// a file that comes to the name while the run goes on is kept all the same.
WriteOptions writeOptionsFor(const fs::path& file, const SaveContext& ctx) {
    WriteOptions options;
    if (ctx.mayReplace && !ctx.mayReplace(file)) options.replace = Replace::Never;
    return options;
}

// Tells the report of a file whose name was taken and kept; true for a file
// written (or waiting in the run's batch, whose commit tells what became of it).
bool writtenOrKept(const fs::path& file, Placed placed, SaveContext& ctx) {
    if (placed != Placed::Kept) return true;
    ctx.report.addKept(file.filename());
    return false;
}

// Called before each selected row: false when the run is to end here, which the
// report is told. Counts the row otherwise.
bool beginRow(const std::vector<SaveRow>& rows, SaveContext& ctx) {
    const int begun = ctx.rowsBegun ? ctx.rowsBegun->load() : 0;
    if (ctx.stop && ctx.stop->load()) {
        ctx.report.stopByRequest(begun, selectedCount(rows));
        return false;
    }
    if (ctx.rowsBegun) ctx.rowsBegun->store(begun + 1);
    return true;
}

// Writes a picture; a failure ends the run with the system's reason. False when
// an existing file was kept instead.
bool writePictureOrStop(const fs::path& file, const RgbImage& image, PictureFormat kind,
                        SaveContext& ctx) {
    const WriteOptions options = writeOptionsFor(file, ctx);
    const auto written = kind == PictureFormat::Bmp ? writeBmpFile(file, image, options)
                                                    : writeJpegFile(file, image, options);
    if (!written) throw RunStopped(writeFailureMessage(file, written.failure()));
    return writtenOrKept(file, *written, ctx);
}

// Writes a whole file; a failure ends the run with the system's reason. False
// when an existing file was kept instead.
bool writeBytesOrStop(const fs::path& file, std::span<const ByteSpan> pieces, SaveContext& ctx) {
    const auto written = writeFile(file, pieces, writeOptionsFor(file, ctx));
    if (!written) throw RunStopped(writeFailureMessage(file, written.failure()));
    return writtenOrKept(file, *written, ctx);
}

bool writeBytesOrStop(const fs::path& file, std::span<const std::uint8_t> bytes, SaveContext& ctx) {
    const ByteSpan piece = bytes;
    return writeBytesOrStop(file, std::span(&piece, 1), ctx);
}

// Writes a whole file; a failure goes into the report and the run goes on. True
// when the file is written.
bool writeBytesOrTell(const fs::path& file, std::span<const std::uint8_t> bytes, SaveContext& ctx) {
    const auto written = writeFile(file, bytes, writeOptionsFor(file, ctx));
    if (!written) {
        ctx.report.addFailure(writeFailureMessage(file, written.failure()));
        return false;
    }
    return writtenOrKept(file, *written, ctx);
}

fs::path saveIcoImage(const SaveRow& row, const fs::path& target, SaveContext& ctx,
                      std::optional<PictureFormat> kind) {
    if (row.iconPosition < 0 || !rowsAreImages(row.source) || target.empty()) return {};
    const RunReader reader(ctx);
    const std::optional<IconGroup> group = groupOf(row, ctx);
    if (!group) return {};
    const StoredImage& image = group->images.front();
    // The width as the directory stores it: 0 stands for 256, which is no size of ours.
    const int width = image.entry.width;
    if (!sizeOn(ctx.settings, width)) {
        ctx.report.addSkippedRow(caption(row) + ": its image is " + std::to_string(image.width()) +
                                 " x " + std::to_string(image.height()) +
                                 ", and that size is not chosen");
        return {};
    }
    // A cursor's image stays a cursor, with its hotspot, in a file named ".cur".
    const bool cursor = !kind && group->identity.kind == ResourceKind::Cursor;
    const fs::path file = target.parent_path() /
                          (std::to_string(width) + "-" +
                           (cursor ? forceExtension(target, "cur") : target).filename().string());
    if (!kind) {
        const auto bytes = encodeStoredImage(group->identity.kind, image);
        if (!bytes) {
            ctx.report.addUnreadableRow(caption(row), bytes.failure());
            return {};
        }
        return writeBytesOrTell(file, *bytes, ctx) ? file : fs::path();
    }
    const Result<Icon> icon = decodeStoredImage(image);
    if (!icon) {
        ctx.report.addUnreadableRow(caption(row), icon.failure());
        return {};
    }
    RgbImage picture = whiteImage(width, width);
    drawIcon(picture, *icon);
    // As for every other row of a picture run, a file that cannot be written ends
    // the run with the system's reason.
    return writePictureOrStop(file, picture, *kind, ctx) ? file : fs::path();
}

void saveSelectedAsPicture(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx,
                           PictureFormat kind) {
    const RunReader reader(ctx);
    const int selected = selectedCount(rows);
    const AppSettings& s = ctx.settings;
    int counter = 0;
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        if (!beginRow(rows, ctx)) break;
        const std::string suffix = saveNumberSuffix(counter, selected);
        const fs::path target = name.target(suffix);
        if (rowsAreImages(row.source)) {
            fs::path out = saveIcoImage(row, target, ctx, kind);
            if (!out.empty()) ctx.report.add(out.filename());
            ++counter;
            continue;
        }
        if (!s.size_32 && !s.size_16) {
            ctx.report.addSkippedRow(caption(row) +
                                     ": pictures of programs are saved at 32 and 16 pixels, and "
                                     "neither is chosen");
            continue;
        }
        ++counter;
        // A position that has no icon (any more) gives no file.
        const std::optional<IconGroup> group = groupOf(row, ctx);
        if (!group) continue;
        const Result<Icon> icon = iconAtSize(*group, 32);
        if (!icon) {
            ctx.report.addUnreadableRow(caption(row), icon.failure());
            continue;
        }
        // BMP draws on 32 x 32, JPEG on the icon's own size, except for the pair.
        const bool square = kind == PictureFormat::Bmp || (s.size_32 && s.size_16);
        RgbImage large = square ? whiteImage(32, 32) : whiteImage(icon->width, icon->height);
        drawIcon(large, *icon);
        auto write = [&](const std::string& fileName, const RgbImage& image) {
            if (writePictureOrStop(name.dir / fileName, image, kind, ctx)) ctx.report.add(fileName);
        };
        const std::string plain = target.filename().string();
        if (s.size_32 && s.size_16) {
            write("32-" + plain, large);
            write("16-" + plain, stretchNearest(large, 16, 16));
        } else if (s.size_32) {
            write(plain, large);
        } else {
            write(plain, stretchNearest(large, 16, 16));
        }
    }
}

// The row's icon at size x size: the best image of its group, or for a row of an
// icon file the row's own image, brought to that size.
Result<Icon> rowIconAt(const IconGroup& group, int size) {
    return iconAtSize(group, size, SizePolicy::LikeWindows);
}

}  // namespace

SaveName::SaveName(const fs::path& chosen) {
    // The extension by the program's one rule: from the name's last dot.
    dir = chosen.parent_path();
    const std::string name = chosen.filename().string();
    const std::size_t dot = upperCaseExtension(chosen).empty() ? name.size() : name.rfind('.');
    ext = name.substr(dot);
    stem = name.substr(0, dot);
}

fs::path SaveName::target(const std::string& suffix) const {
    return dir / (stem + suffix + ext);
}

std::string saveNumberSuffix(int counter, int selected) {
    if (selected < 2) return {};
    return "-" + formatIconNumber(counter + 1);
}

FileDialogRequest saveDialogRequest(const std::string& format) {
    FileDialogRequest r;
    if (format == "ico") {
        r.filter = "ico file(s)   (*.ico)|*.ico";
        r.defaultExt = "ico";
    } else if (format == "bmp") {
        r.filter = "bmp file(s)  (*.bmp)|*.bmp";
        r.defaultExt = "bmp";
    } else if (format == "png") {
        r.filter = "png file(s)  (*.png)|*.png";
        r.defaultExt = "png";
    } else if (format == "original") {
        r.filter = "ico file(s)   (*.ico)|*.ico";
        r.defaultExt = "ico";
    } else {
        r.filter = "jpg file(s)  (*.jpg)|*.jpg";
        r.defaultExt = "jpg";
    }
    return r;
}

fs::path forceExtension(const fs::path& chosen, const std::string& defaultExt) {
    // From the last dot: a dot never lies inside a multi-byte character.
    std::string name = chosen.filename().string();
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return chosen.parent_path() / (name + "." + defaultExt);
}

fs::path saveIcoImageAsIco(const SaveRow& row, const fs::path& target, SaveContext& ctx) {
    return saveIcoImage(row, target, ctx, std::nullopt);
}

namespace {

// A program's cursor group in the ICO run: the cursor file it is stored as, every
// image with its hotspot, named ".cur". The sizes of the export options are not
// applied: a hotspot belongs to the image it was drawn for.
void saveCursorGroup(const IconGroup& group, const SaveRow& row, const fs::path& target,
                     SaveContext& ctx) {
    const auto bytes = encodeStoredGroup(group);
    if (!bytes) {
        ctx.report.addUnreadableRow(caption(row), bytes.failure());
        return;
    }
    const fs::path file = forceExtension(target, "cur");
    if (writeBytesOrTell(file, *bytes, ctx)) ctx.report.add(file.filename());
}

}  // namespace

void saveSelectedAsIco(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx) {
    const RunReader reader(ctx);
    const int selected = selectedCount(rows);
    int counter = 0;
    const auto gate = [&ctx](const fs::path& file) { return writeOptionsFor(file, ctx); };
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        if (!beginRow(rows, ctx)) break;
        const fs::path target = name.target(saveNumberSuffix(counter, selected));
        ++counter;
        if (rowsAreImages(row.source)) {
            fs::path out = saveIcoImageAsIco(row, target, ctx);
            if (!out.empty()) ctx.report.add(out.filename());
            continue;
        }
        if (row.kind == ResourceKind::Cursor) {
            if (const std::optional<IconGroup> group = groupOf(row, ctx))
                saveCursorGroup(*group, row, target, ctx);
            continue;
        }
        // Rows with neither size on are told as skipped without reading them.
        if (!ctx.settings.size_32 && !ctx.settings.size_16) {
            saveIconAsIco(IconGroup{}, target, ctx.settings, ctx.report, caption(row), gate);
            continue;
        }
        if (const std::optional<IconGroup> group = groupOf(row, ctx))
            saveIconAsIco(*group, target, ctx.settings, ctx.report, caption(row), gate);
    }
}

void saveSelectedAsBmp(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx) {
    saveSelectedAsPicture(rows, name, ctx, PictureFormat::Bmp);
}

void saveSelectedAsJpg(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx) {
    saveSelectedAsPicture(rows, name, ctx, PictureFormat::Jpg);
}

void saveSelectedAsPng(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx) {
    const RunReader reader(ctx);
    const int selected = selectedCount(rows);
    std::vector<int> sizes;
    for (int size : {128, 64, 48, 32, 16})
        if (sizeOn(ctx.settings, size)) sizes.push_back(size);
    int counter = 0;
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        if (!beginRow(rows, ctx)) break;
        const std::string plain =
            name.target(saveNumberSuffix(counter, selected)).filename().string();
        ++counter;
        if (sizes.empty()) {
            ctx.report.addSkippedRow(caption(row) + ": no size is chosen");
            continue;
        }
        const std::optional<IconGroup> group = groupOf(row, ctx);
        if (!group) continue;
        for (int size : sizes) {
            const Result<Icon> icon = rowIconAt(*group, size);
            if (!icon) {
                ctx.report.addUnreadableRow(caption(row), icon.failure());
                break;
            }
            auto png = iconToPng(*icon);
            const std::string fileName =
                sizes.size() > 1 ? std::to_string(size) + "-" + plain : plain;
            if (!png) {
                ctx.report.addFailure(writeFailureMessage(name.dir / fileName, png.failure()));
                continue;
            }
            if (writeBytesOrStop(name.dir / fileName, *png, ctx)) ctx.report.add(fileName);
        }
    }
}

void saveSelectedAsOriginal(const std::vector<SaveRow>& rows, const SaveName& name,
                            SaveContext& ctx) {
    const RunReader reader(ctx);
    const int selected = selectedCount(rows);
    int counter = 0;
    // What the rows of each source have written: a file whose groups name the same
    // images over and over cannot make the run write without end.
    std::map<fs::path, std::uint64_t> written;
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        if (!beginRow(rows, ctx)) break;
        const fs::path target = name.target(saveNumberSuffix(counter, selected));
        ++counter;
        const std::optional<IconGroup> group = groupOf(row, ctx);
        if (!group) continue;
        // The group as stored, written from the images as held (an image named
        // many times is held once); a row of an icon file is its one image. A
        // cursor is written as the cursor file it is, named ".cur".
        const auto file = encodeStoredGroupInPieces(*group);
        if (!file) {
            ctx.report.addUnreadableRow(caption(row), file.failure());
            continue;
        }
        const fs::path out =
            group->identity.kind == ResourceKind::Cursor ? forceExtension(target, "cur") : target;
        std::error_code ec;
        const std::uint64_t sourceSize = fs::file_size(row.source, ec);
        const std::uint64_t cap = outputCapOf(ec ? 0 : sourceSize);
        std::uint64_t& sum = written[row.source];
        if (sum + file->size > cap) {
            ctx.report.addFailure("Cannot create file \"" + out.string() + "\". " +
                                  outputCapText(cap));
            continue;
        }
        if (!writeBytesOrStop(out, std::span<const ByteSpan>(file->pieces), ctx)) continue;
        sum += file->size;
        ctx.report.add(out.filename());
    }
}

void saveSelectedRows(const std::vector<SaveRow>& rows, const fs::path& name, SaveContext& ctx) {
    SaveName parts(name);
    ctx.report.setFolder(parts.dir / "");
    const std::string ext = upperCaseExtension(name);
    // Every file of the run reaches the disk in a few flushes, not two per file.
    WriteBatch batch;
    try {
        if (ext == ".ICO" && ctx.settings.format == "original")
            saveSelectedAsOriginal(rows, parts, ctx);
        else if (ext == ".ICO")
            saveSelectedAsIco(rows, parts, ctx);
        else if (ext == ".BMP")
            saveSelectedAsBmp(rows, parts, ctx);
        else if (ext == ".JPG")
            saveSelectedAsJpg(rows, parts, ctx);
        else if (ext == ".PNG")
            saveSelectedAsPng(rows, parts, ctx);
        else
            ctx.report.setUnsupportedFormat();
    } catch (const RunStopped& stop) {
        ctx.report.stopAt(stop.what());
    }
    // Each file the report lists as written is so only once it has its name: one
    // whose name was taken meanwhile is kept, and one that could not be placed failed.
    for (const WriteOutcome& outcome : batch.commit()) {
        if (outcome.placed && *outcome.placed == Placed::Written) continue;
        ctx.report.remove(outcome.target.filename());
        if (outcome.placed)
            ctx.report.addKept(outcome.target.filename());
        else
            ctx.report.addFailure(writeFailureMessage(outcome.target, outcome.placed.failure()));
    }
}

std::vector<fs::path> plannedSaveFiles(const std::vector<SaveRow>& rows, const fs::path& name,
                                       SaveContext& ctx) {
    const SaveName parts(name);
    const std::string ext = upperCaseExtension(name);
    const AppSettings& s = ctx.settings;
    if (ext != ".ICO" && ext != ".BMP" && ext != ".JPG" && ext != ".PNG") return {};
    const bool original = ext == ".ICO" && s.format == "original";
    std::vector<int> pngSizes;
    for (int size : {128, 64, 48, 32, 16})
        if (sizeOn(s, size)) pngSizes.push_back(size);
    const RunReader reader(ctx);
    const int selected = selectedCount(rows);
    int counter = 0;
    std::vector<fs::path> files;
    // A cursor (a program's cursor group, or a cursor file's image) is written as
    // a cursor file in the icon runs, named ".cur".
    auto readGroup = [&](const SaveRow& row) {
        return row.iconPosition < 0 ? Result<IconGroup>(Failure{})
                                    : ctx.rowGroup(row.source, row.iconPosition, row.kind);
    };
    auto isCursor = [&](const SaveRow& row, const Result<IconGroup>& group) {
        return row.kind == ResourceKind::Cursor ||
               (group && group->identity.kind == ResourceKind::Cursor);
    };
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        const fs::path target = parts.target(saveNumberSuffix(counter, selected));
        const std::string plain = target.filename().string();
        const std::string plainCursor = forceExtension(target, "cur").filename().string();
        if (original) {
            const bool cursor = row.kind == ResourceKind::Cursor ||
                                (rowsAreImages(row.source) && isCursor(row, readGroup(row)));
            files.push_back(cursor ? forceExtension(target, "cur") : target);
        } else if (ext == ".ICO" && row.kind == ResourceKind::Cursor) {
            files.push_back(forceExtension(target, "cur"));
        } else if (ext == ".PNG") {
            for (int size : pngSizes)
                files.push_back(parts.dir /
                                (pngSizes.size() > 1 ? std::to_string(size) + "-" + plain : plain));
        } else if (rowsAreImages(row.source)) {
            // The width as the directory stores it decides the name, as when saving.
            const Result<IconGroup> group = readGroup(row);
            const bool cursor = ext == ".ICO" && isCursor(row, group);
            if (group && !group->images.empty() && sizeOn(s, group->images.front().entry.width))
                files.push_back(parts.dir / (std::to_string(group->images.front().entry.width) +
                                             "-" + (cursor ? plainCursor : plain)));
        } else if (s.size_32 && s.size_16) {
            files.push_back(parts.dir / ("32-" + plain));
            files.push_back(parts.dir / ("16-" + plain));
        } else if (s.size_32 || s.size_16) {
            files.push_back(target);
        } else if (ext != ".ICO") {
            continue;  // a picture run numbers only the rows it saves
        }
        ++counter;
    }
    return files;
}

std::optional<fs::path> askSaveName(const std::vector<SaveRow>& rows, const AppSettings& settings,
                                    Desktop& desktop,
                                    const std::function<bool()>& showExportOptions,
                                    fs::path& lastName) {
    if (selectedCount(rows) == 0) return std::nullopt;
    if (!showExportOptions()) return std::nullopt;
    // The format as the export options left it.
    FileDialogRequest request = saveDialogRequest(settings.format);
    request.initial = lastName;
    auto chosen = desktop.saveFile(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    lastName = *chosen;
    return forceExtension(*chosen, request.defaultExt);
}

}  // namespace pellimar
