#include "cli/save_cli.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <span>

#include "cli/input.h"
#include "cli/library.h"
#include "cli/resource_choice.h"

namespace pellimar::cli {
namespace fs = std::filesystem;

namespace {

// The sizes a save makes, as the export options hold them.
struct SaveSizes {
    bool s128 = false, s64 = false, s48 = false, s32 = false, s16 = false;

    bool on(int width) const {
        switch (width) {
            case 128:
                return s128;
            case 64:
                return s64;
            case 48:
                return s48;
            case 32:
                return s32;
            case 16:
                return s16;
            default:
                return false;
        }
    }
    int count() const { return int(s128) + int(s64) + int(s48) + int(s32) + int(s16); }
};

bool parseSizes(const std::string& list, SaveSizes& s) {
    s = {};
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        auto v = parseNumber(list.substr(start, comma - start), 0, 128);
        if (!v) return false;
        switch (*v) {
            case 128:
                s.s128 = true;
                break;
            case 64:
                s.s64 = true;
                break;
            case 48:
                s.s48 = true;
                break;
            case 32:
                s.s32 = true;
                break;
            case 16:
                s.s16 = true;
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

// The extension a format's files take, as the Save dialog gives it.
std::string defaultExtension(const std::string& format) {
    if (format == "ico" || format == "original") return "ico";
    if (format == "bmp" || format == "png") return format;
    return "jpg";
}

// The extension of `chosen` (from the last dot of its name) replaced by `ext`,
// or added to a name without a dot.
fs::path forceExtension(const fs::path& chosen, const std::string& ext) {
    // From the last dot: a dot never lies inside a multi-byte character.
    std::string name = chosen.filename().string();
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return chosen.parent_path() / (name + "." + ext);
}

// The extension of the name part of `path`, from its last dot, letters
// upper-cased; empty when the name holds no dot.
std::string upperCaseExtension(const fs::path& path) {
    const std::string& text = path.native();
    const std::size_t slash = text.find_last_of('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = text.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    std::string ext = text.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return ext;
}

// "app.exe-001" for the first icon of /some/where/app.exe: how the save's
// messages name its row.
std::string rowCaption(const fs::path& source, int position) {
    std::string digits = std::to_string(position + 1);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return source.filename().string() + "-" + digits;
}

FailureHandle madeFailure(pellimar_status code, const std::string& what,
                          std::uint64_t offset = PELLIMAR_NO_OFFSET) {
    return FailureHandle(
        pellimar_failure_new(code, 0, what.empty() ? nullptr : what.c_str(), offset, 0));
}

FailureHandle copyOf(const pellimar_failure* failure) {
    return FailureHandle(failure ? pellimar_failure_copy(failure) : nullptr);
}

// The icon of the row a save writes: icon `position` of a program or library,
// with every image read; or, for a file named ".ico" or ".cur", image
// `position` of that icon or cursor file alone. The file is read when the row
// is first asked for.
class RowIcon {
  public:
    RowIcon(fs::path source, int position)
        : source_(std::move(source)),
          position_(position),
          imageRow_(upperCaseExtension(source_) == ".ICO" ||
                    upperCaseExtension(source_) == ".CUR") {
        // Standard input has no name: an icon or cursor file there is told by its
        // bytes. One that cannot be read is told by read().
        if (source_ == "-") {
            OpenedInput in = openInput("-");
            if (!in) return;
            const int32_t container = pellimar_file_container(in.file.get());
            imageRow_ = container == PELLIMAR_CONTAINER_ICON_FILE ||
                        container == PELLIMAR_CONTAINER_CURSOR_FILE;
            file_ = std::move(in.file);
        }
    }

    bool imageRow() const { return imageRow_; }
    const fs::path& source() const { return source_; }
    int position() const { return position_; }
    // Why the row has no icon; nothing when it has one.
    const pellimar_failure* read();
    pellimar_file* file() const { return file_.get(); }
    pellimar_group* group() const { return group_; }
    // The image of an image row.
    pellimar_image* image() const { return image_; }
    // PELLIMAR_ICON, or PELLIMAR_CURSOR for the image of a cursor file.
    int32_t kind() const { return kind_; }

  private:
    void fail(FailureHandle why) {
        failure_ = std::move(why);
        if (!failure_) failure_ = madeFailure(PELLIMAR_NO_MEMORY, "out of memory");
    }

    fs::path source_;
    int position_;
    bool imageRow_;
    bool done_ = false;
    FileHandle file_;
    pellimar_group* group_ = nullptr;
    pellimar_image* image_ = nullptr;
    int32_t kind_ = PELLIMAR_ICON;
    FailureHandle failure_;
};

const pellimar_failure* RowIcon::read() {
    if (done_) return failure_.get();
    done_ = true;
    if (!file_) {
        OpenedInput in = openInput(source_.string());
        if (!in) {
            fail(std::move(in.outcome.why));
            return failure_.get();
        }
        file_ = std::move(in.file);
    }
    pellimar_file* opened = file_.get();
    if (imageRow_) {
        const int32_t container = pellimar_file_container(opened);
        if (container != PELLIMAR_CONTAINER_ICON_FILE &&
            container != PELLIMAR_CONTAINER_CURSOR_FILE) {
            fail(madeFailure(PELLIMAR_BAD_VALUE, "icon file header", 0));
            return failure_.get();
        }
        kind_ = container == PELLIMAR_CONTAINER_CURSOR_FILE ? PELLIMAR_CURSOR : PELLIMAR_ICON;
        group_ = pellimar_file_group(opened, kind_, 0);
        const std::string which = "image " + std::to_string(position_ + 1);
        if (!group_ || std::uint32_t(position_) >= pellimar_group_image_count(group_)) {
            fail(madeFailure(PELLIMAR_NO_SUCH_ICON, which));
            return failure_.get();
        }
        image_ = pellimar_group_image(group_, std::uint32_t(position_));
        if (!hasBytes(image_)) {
            const pellimar_failure* stored = pellimar_image_failure(image_);
            const FailureHandle none = stored ? nullptr : madeFailure(PELLIMAR_NO_IMAGE, {});
            fail(FailureHandle(
                pellimar_failure_within(stored ? stored : none.get(), which.c_str())));
        }
        return failure_.get();
    }
    if (std::uint32_t(position_) >= pellimar_file_group_count(opened, PELLIMAR_ICON)) {
        fail(madeFailure(PELLIMAR_NO_SUCH_ICON, "icon " + std::to_string(position_ + 1)));
        return failure_.get();
    }
    group_ = pellimar_file_group(opened, PELLIMAR_ICON, std::uint32_t(position_));
    pellimar_group_load(group_, nullptr);
    if (const pellimar_failure* broken = pellimar_group_failure(group_)) {
        fail(copyOf(broken));
        return failure_.get();
    }
    const std::uint32_t count = pellimar_group_image_count(group_);
    for (std::uint32_t j = 0; j < count; ++j)
        if (hasBytes(pellimar_group_image(group_, j))) return nullptr;
    const pellimar_failure* first =
        count > 0 ? pellimar_image_failure(pellimar_group_image(group_, 0)) : nullptr;
    fail(first ? FailureHandle(pellimar_failure_within(first, "image 1"))
               : madeFailure(PELLIMAR_NO_IMAGE, {}));
    return failure_.get();
}

// The formats a save writes.
enum class SaveFormat { Ico, Original, Bmp, Jpg, Png };

// What one planned file is made of.
enum class Output {
    StoredIcon,   // the row's icon as stored: every image of its group, or the one
                  // image of an icon file's row, as an icon or cursor file
    ReducedIcon,  // the row's icon at `size`, reduced to 16 or 256 colours
    Picture,      // the row's icon drawn on white at `size` (BMP or JPEG)
    Png,          // the row's icon at `size`, with its transparency
};

struct PlannedFile {
    std::string name;  // in the save's folder
    Output output = Output::StoredIcon;
    int size = 0;  // pixels a side; 0 for StoredIcon
};

// A row that wrote nothing, or a file that was not written, and why.
struct Problem {
    std::string row;  // the row's caption, for a row
    fs::path file;    // the file with its folder, for a file
    FailureHandle why;
};

// What a save of one row did.
struct SaveOutcome {
    std::vector<std::string> files;                // written, in order
    std::vector<std::vector<std::uint8_t>> bytes;  // of each file, for standard output
    std::vector<Problem> failures, unreadable, skipped;
    std::optional<Problem> stop;

    bool whole() const { return !stop && failures.empty() && unreadable.empty(); }
};

// What a failed write of `file` says, as the program's save says it.
std::string writeFailureMessage(const fs::path& file, const pellimar_failure* why) {
    std::string reason;
    if (why && pellimar_failure_code(why) == PELLIMAR_CANNOT_ENCODE) {
        const std::string what = pellimar_failure_what(why);
        reason = "The picture could not be encoded" + (what.empty() ? "" : ": " + what) + ".";
    } else if (why && pellimar_failure_cap(why) == PELLIMAR_CAP_OUTPUT_BYTES) {
        reason = "The icons of one file may make a save write " +
                 std::string(pellimar_failure_what(why)) + ".";
    } else {
        reason = writeReasonOf(why);
    }
    return "Cannot create file \"" + file.string() + "\". " + reason;
}

std::string problemText(const Problem& problem) {
    if (!problem.file.empty()) return writeFailureMessage(problem.file, problem.why.get());
    return problem.row + ": " + messageOf(problem.why.get());
}

// One save of one row: its plan (the files it writes, named once), then the
// files made from the row's icon and written through the library's writer, in
// one batch, or kept for standard output.
class SaveRun {
  public:
    SaveRun(SaveFormat format, const SaveSizes& sizes, fs::path folder, fs::path target,
            RowIcon& row, bool toStandardOutput)
        : format_(format),
          sizes_(sizes),
          folder_(std::move(folder)),
          target_(std::move(target)),
          row_(row),
          toStandardOutput_(toStandardOutput),
          caption_(rowCaption(inputName(row.source().string()), row.position())) {}

    SaveOutcome run();

  private:
    std::string plain() const { return target_.filename().string(); }
    std::string cursorName() const { return forceExtension(target_, "cur").filename().string(); }
    void add(const std::string& name, Output output, int size = 0) {
        files_.push_back({name, output, size});
    }
    void skip(const std::string& why) {
        outcome_.skipped.push_back({caption_, {}, madeFailure(PELLIMAR_NOT_CHOSEN, why)});
    }
    void unreadable(FailureHandle why) {
        outcome_.unreadable.push_back({caption_, {}, std::move(why)});
    }
    fs::path pathOf(const PlannedFile& file) const { return folder_ / file.name; }

    // The plan; false when the row writes nothing.
    bool plan();
    void imageAtItsWidth(Output output);
    void pairOfSizes(Output output);

    bool notWritten(const PlannedFile& file, FailureHandle why);
    bool place(const PlannedFile& file, Bytes bytes, bool counted = false);
    bool storedIcon();
    bool reducedIcons();
    bool pictures();
    bool pngs();

    SaveFormat format_;
    SaveSizes sizes_;
    fs::path folder_, target_;
    RowIcon& row_;
    bool toStandardOutput_;
    std::string caption_;
    std::vector<PlannedFile> files_;
    SaveOutcome outcome_;
    // What the row's icons as stored may make the save write, and what they have.
    std::uint64_t cap_ = 0, used_ = 0;
};

// An icon file's row in the ICO and picture formats: its one image, named by the
// width its directory states (0 stands for 256, which is no size of ours), when
// that size is chosen. In the ICO format a cursor's image stays a cursor, with
// its hotspot, in a file named ".cur".
void SaveRun::imageAtItsWidth(Output output) {
    if (const pellimar_failure* why = row_.read()) return unreadable(copyOf(why));
    const pellimar_image* image = row_.image();
    // A stated 0 is 256, which is no size of ours.
    const int stated = pellimar_image_width(image);
    if (!sizes_.on(stated))
        return skip("its image is " + std::to_string(pellimar_image_width(image)) + " x " +
                    std::to_string(pellimar_image_height(image)) + ", and that size is not chosen");
    const bool cursor = output == Output::StoredIcon && row_.kind() == PELLIMAR_CURSOR;
    add(std::to_string(stated) + "-" + (cursor ? cursorName() : plain()), output,
        output == Output::StoredIcon ? 0 : stated);
}

// A program's icon at 32 and 16 pixels as the two size switches say: both on,
// "32-" and "16-" files; one on, the name itself.
void SaveRun::pairOfSizes(Output output) {
    if (sizes_.s32 && sizes_.s16) {
        add("32-" + plain(), output, 32);
        add("16-" + plain(), output, 16);
    } else {
        add(plain(), output, sizes_.s32 ? 32 : 16);
    }
}

bool SaveRun::plan() {
    switch (format_) {
        case SaveFormat::Ico:
            if (row_.imageRow()) {
                imageAtItsWidth(Output::StoredIcon);
            } else if (!sizes_.s32 && !sizes_.s16) {
                skip("icon files of programs are saved at 32 and 16 pixels, and neither is chosen");
            } else {
                pairOfSizes(Output::ReducedIcon);
            }
            break;
        case SaveFormat::Bmp:
        case SaveFormat::Jpg:
            if (row_.imageRow()) {
                imageAtItsWidth(Output::Picture);
            } else if (!sizes_.s32 && !sizes_.s16) {
                skip("pictures of programs are saved at 32 and 16 pixels, and neither is chosen");
            } else {
                pairOfSizes(Output::Picture);
            }
            break;
        case SaveFormat::Png: {
            // Each size that is on, largest first; with more than one, each file's
            // name starts with "<size>-".
            std::vector<int> sizes;
            for (int size : {128, 64, 48, 32, 16})
                if (sizes_.on(size)) sizes.push_back(size);
            if (sizes.empty()) skip("no size is chosen");
            for (int size : sizes)
                add(sizes.size() > 1 ? std::to_string(size) + "-" + plain() : plain(), Output::Png,
                    size);
            break;
        }
        case SaveFormat::Original: {
            // The icon as stored, sizes aside; the image of a cursor file as the
            // cursor file it is, named ".cur".
            bool cursor = false;
            if (row_.imageRow()) {
                if (const pellimar_failure* why = row_.read()) {
                    unreadable(copyOf(why));
                    break;
                }
                cursor = row_.kind() == PELLIMAR_CURSOR;
            }
            add(cursor ? cursorName() : plain(), Output::StoredIcon);
            break;
        }
    }
    return !files_.empty();
}

// A file that could not be made or written: told, and the save goes on where its
// format does (ICO), or ends here. An output cap reached never ends it.
bool SaveRun::notWritten(const PlannedFile& file, FailureHandle why) {
    if (format_ == SaveFormat::Ico ||
        (why && pellimar_failure_cap(why.get()) == PELLIMAR_CAP_OUTPUT_BYTES)) {
        outcome_.failures.push_back({{}, pathOf(file), std::move(why)});
        return true;
    }
    outcome_.stop = Problem{{}, pathOf(file), std::move(why)};
    return false;
}

// Writes a made file, or keeps it for standard output; false when the save is to
// end here. `counted`: its bytes count against the output cap of the row's file.
bool SaveRun::place(const PlannedFile& file, Bytes bytes, bool counted) {
    pellimar_failure* why = nullptr;
    if (counted && pellimar_output_fits(cap_, used_, bytes.size, &why) != PELLIMAR_OK)
        return notWritten(file, FailureHandle(why));
    if (toStandardOutput_) {
        outcome_.bytes.emplace_back(bytes.data.get(), bytes.data.get() + bytes.size);
    } else if (pellimar_write_file(pathOf(file).c_str(), bytes.data.get(), bytes.size, 0, nullptr,
                                   &why) != PELLIMAR_OK) {
        return notWritten(file, FailureHandle(why));
    }
    if (counted) used_ += bytes.size;
    outcome_.files.push_back(file.name);
    return true;
}

// The group as stored, written from the images as held (an image named many
// times is held once); a row of an icon file is its one image.
bool SaveRun::storedIcon() {
    Bytes bytes;
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
    pellimar_failure* why = nullptr;
    const pellimar_status status = row_.imageRow()
                                       ? pellimar_image_to_file(row_.image(), &data, &size, &why)
                                       : pellimar_group_to_file(row_.group(), &data, &size, &why);
    Outcome made = takeBytes(status, data, size, why, bytes);
    if (!made) {
        unreadable(std::move(made.why));
        return true;
    }
    cap_ = pellimar_output_cap(pellimar_file_size(row_.file()));
    return place(files_.front(), std::move(bytes), true);
}

// Every size is made before any is written: a row that cannot give one writes
// none.
bool SaveRun::reducedIcons() {
    std::vector<PictureHandle> icons;
    for (const PlannedFile& file : files_) {
        pellimar_picture* made = nullptr;
        pellimar_failure* why = nullptr;
        if (pellimar_group_picture_at_size(row_.group(), file.size, PELLIMAR_CHOOSE_LIKE_WINDOWS,
                                           &made, &why) != PELLIMAR_OK) {
            unreadable(FailureHandle(why));
            return true;
        }
        icons.emplace_back(made);
    }
    for (std::size_t i = 0; i < files_.size(); ++i) {
        const pellimar_picture* one = icons[i].get();
        Bytes bytes;
        std::uint8_t* data = nullptr;
        std::size_t size = 0;
        pellimar_failure* why = nullptr;
        Outcome made =
            takeBytes(pellimar_pictures_to_reduced_icon_file(&one, 1, &data, &size, &why), data,
                      size, why, bytes);
        if (!(made ? place(files_[i], std::move(bytes))
                   : notWritten(files_[i], std::move(made.why))))
            return false;
    }
    return true;
}

// An icon file's image drawn on white at the width its directory states, never
// scaled; a program's icon drawn at 32 pixels, its smaller pictures made from
// that one by dropping pixels.
bool SaveRun::pictures() {
    pellimar_picture* made = nullptr;
    pellimar_failure* why = nullptr;
    const pellimar_status status =
        row_.imageRow() ? pellimar_image_decode(row_.image(), &made, &why)
                        : pellimar_group_picture_at_size(row_.group(), 32,
                                                         PELLIMAR_CHOOSE_LIKE_WINDOWS, &made, &why);
    if (status != PELLIMAR_OK) {
        unreadable(FailureHandle(why));
        return true;
    }
    const PictureHandle icon(made);
    const int drawnAt = row_.imageRow() ? files_.front().size : 32;
    pellimar_canvas* canvas = nullptr;
    if (pellimar_picture_draw_on_white(icon.get(), drawnAt, drawnAt, &canvas, &why) != PELLIMAR_OK)
        return notWritten(files_.front(), FailureHandle(why));
    const CanvasHandle drawn(canvas);
    for (const PlannedFile& file : files_) {
        CanvasHandle smaller;
        if (file.size != drawnAt) {
            if (pellimar_canvas_stretch(drawn.get(), file.size, file.size, &canvas, &why) !=
                PELLIMAR_OK) {
                if (!notWritten(file, FailureHandle(why))) return false;
                continue;
            }
            smaller.reset(canvas);
        }
        const pellimar_canvas* picture = smaller ? smaller.get() : drawn.get();
        Bytes bytes;
        std::uint8_t* data = nullptr;
        std::size_t size = 0;
        Outcome encoded = takeBytes(format_ == SaveFormat::Bmp
                                        ? pellimar_canvas_to_bmp(picture, &data, &size, &why)
                                        : pellimar_canvas_to_jpeg(picture, &data, &size, &why),
                                    data, size, why, bytes);
        if (!(encoded ? place(file, std::move(bytes)) : notWritten(file, std::move(encoded.why))))
            return false;
    }
    return true;
}

// Each size from the row's best image for it, brought to that size; a size that
// cannot be made ends the row. A picture that cannot be encoded is told as a file
// not written and the save goes on; a file that cannot be written ends it.
bool SaveRun::pngs() {
    for (const PlannedFile& file : files_) {
        pellimar_picture* made = nullptr;
        pellimar_failure* why = nullptr;
        PictureHandle icon;
        if (row_.imageRow()) {
            // The one image of an icon file's row, brought to the size.
            if (pellimar_image_decode(row_.image(), &made, &why) != PELLIMAR_OK) {
                unreadable(FailureHandle(why));
                return true;
            }
            icon.reset(made);
            if (pellimar_picture_width(made) != file.size ||
                pellimar_picture_height(made) != file.size) {
                if (pellimar_picture_resize(made, file.size, file.size, PELLIMAR_RESIZE_AREA, &made,
                                            &why) != PELLIMAR_OK) {
                    unreadable(FailureHandle(why));
                    return true;
                }
                icon.reset(made);
            }
        } else {
            if (pellimar_group_picture_at_size(row_.group(), file.size,
                                               PELLIMAR_CHOOSE_LIKE_WINDOWS, &made,
                                               &why) != PELLIMAR_OK) {
                unreadable(FailureHandle(why));
                return true;
            }
            icon.reset(made);
        }
        Bytes bytes;
        std::uint8_t* data = nullptr;
        std::size_t size = 0;
        Outcome encoded = takeBytes(pellimar_picture_to_png(icon.get(), &data, &size, &why), data,
                                    size, why, bytes);
        if (!encoded) {
            outcome_.failures.push_back({{}, pathOf(file), std::move(encoded.why)});
            continue;
        }
        if (!place(file, std::move(bytes))) return false;
    }
    return true;
}

SaveOutcome SaveRun::run() {
    if (!plan()) return std::move(outcome_);
    if (const pellimar_failure* why = row_.read()) {
        // A position that has no icon (any more) gives no file.
        unreadable(copyOf(why));
        return std::move(outcome_);
    }
    // Every file of the save reaches the disk in a few flushes, not two per file;
    // each is told written only once it has its name.
    pellimar_write_batch* batch = nullptr;
    if (!toStandardOutput_) pellimar_write_batch_open(&batch, nullptr);
    switch (files_.front().output) {
        case Output::StoredIcon:
            storedIcon();
            break;
        case Output::ReducedIcon:
            reducedIcons();
            break;
        case Output::Picture:
            pictures();
            break;
        case Output::Png:
            pngs();
            break;
    }
    if (batch) {
        pellimar_write_batch_commit(
            batch,
            [](const char* path, int32_t placed, const pellimar_failure* failure, void* user) {
                if (placed == PELLIMAR_PLACED_WRITTEN) return 0;
                SaveOutcome& outcome = *static_cast<SaveOutcome*>(user);
                const fs::path target(path);
                std::erase(outcome.files, target.filename().string());
                if (failure) outcome.failures.push_back({{}, target, copyOf(failure)});
                return 0;
            },
            &outcome_, nullptr);
        pellimar_write_batch_close(batch);
    }
    return std::move(outcome_);
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
    SaveSizes sizesChosen;
    if (!parseSizes(sizes, sizesChosen)) return usage(err, "sizes are 128, 64, 48, 32 and 16");
    if (outPath.empty()) return usage(err, "--out is needed");
    const bool toStandardOutput = outPath == "-";
    // As in the Save dialog, a name typed without extension gets the format's own.
    const std::string ext = defaultExtension(format);
    // A PATH that ends in a folder ("/", "out/") names no file: no name is made up.
    if (const fs::path named(outPath);
        !toStandardOutput &&
        (!named.has_filename() || named.filename() == "." || named.filename() == ".."))
        return usage(err, "--out " + outPath + " names no file: give a file name, as in " +
                              (named / ("icon." + ext)).string());
    if (toStandardOutput && format != "original" && sizesChosen.count() != 1)
        return usage(err, "--out - takes one file: give one size");
    if (toStandardOutput && isTerminalOutput(out)) {
        err << "pellimar-cli save: " << kTerminalOutputRefused << "\n";
        return 1;
    }
    const std::string sourceName = inputName(positional[0]);

    if (byIdentity) {
        // The icon the identity names, at its position in the file.
        choice.index = index;
        const OpenedInput read = openInput(positional[0]);
        if (!read) {
            err << "pellimar-cli save: cannot read " << sourceName << ": "
                << reasonOf(read.failure()) << "\n";
            return 1;
        }
        const FileHandle& file = read.file;
        const GroupsChosen chosen = chooseGroups(file.get(), {PELLIMAR_ICON}, choice);
        if (!chosen || chosen.groups.empty()) {
            err << "pellimar-cli save: " << sourceName << ": "
                << (chosen ? std::string("no such icon") : *chosen.problem) << "\n";
            return 1;
        }
        const ChosenGroup& c = chosen.groups.front();
        if (c.other) {
            // The save command's rows are an icon's first language.
            std::uint16_t first = 0;
            const bool stated = pellimar_group_language(
                pellimar_file_group(file.get(), PELLIMAR_ICON, std::uint32_t(c.position)), &first);
            err << "pellimar-cli save: " << sourceName << ": save writes each icon in its "
                << "first language (" << (stated ? languageText(first) : "none")
                << "); 'pellimar-cli extract --lang " << *choice.language << "' writes the other\n";
            return 1;
        }
        index = c.position;
        positional[1] = std::to_string(c.position);
    }
    // The one file of a run to standard output is made in memory and named as a
    // file of the current folder would be.
    fs::path chosen = toStandardOutput ? fs::path("icon") : fs::path(outPath);
    if (!chosen.has_extension()) chosen += "." + ext;
    const fs::path name = forceExtension(chosen, ext);
    const SaveFormat saveFormat = format == "original" ? SaveFormat::Original
                                  : format == "ico"    ? SaveFormat::Ico
                                  : format == "bmp"    ? SaveFormat::Bmp
                                  : format == "png"    ? SaveFormat::Png
                                                       : SaveFormat::Jpg;
    RowIcon row(positional[0], *index);
    const fs::path folder = name.parent_path();
    const SaveOutcome report =
        SaveRun(saveFormat, sizesChosen, folder, name, row, toStandardOutput).run();
    const bool whole = report.whole();
    if (toStandardOutput) {
        // Only a run that made its one file whole goes out.
        if (report.files.size() == 1 && whole) {
            const std::vector<std::uint8_t>& bytes = report.bytes.front();
            out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            out.flush();
            if (out) return 0;
            err << "pellimar-cli save: cannot write to standard output\n";
            return 1;
        }
    } else {
        for (const std::string& f : report.files) out << (folder / "" / f).string() << "\n";
    }
    // A run that stopped at a file it could not write, or left out any file, failed,
    // whatever it wrote.
    if (!toStandardOutput && !report.files.empty() && whole) return 0;
    std::string why;
    if (report.stop)
        why = problemText(*report.stop);
    else if (!report.failures.empty())
        why = problemText(report.failures.front());
    else if (!report.unreadable.empty())
        why = "cannot read icon " + positional[1] + " of " + sourceName + ": " +
              messageOf(report.unreadable.front().why.get());
    else if (!report.skipped.empty())
        why = "nothing written: " + problemText(report.skipped.front());
    else
        why = "nothing written";
    err << "pellimar-cli save: " << why << "\n";
    return 1;
}

}  // namespace pellimar::cli
