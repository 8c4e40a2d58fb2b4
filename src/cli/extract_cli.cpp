#include "cli/extract_cli.h"
#include "cli/icons_cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <system_error>

#include "cli/input.h"
#include "cli/json_text.h"
#include "cli/library.h"
#include "cli/resource_choice.h"

namespace pellimar::cli {
namespace fs = std::filesystem;

namespace {

enum class Format { Ico, Png, Bmp, Jpg };

constexpr int kMaxSize = 1024;
constexpr int kPictureSize = 32;

// The bytes of the distinct images the chosen groups name, as their directories
// state them.
std::uint64_t distinctImageBytes(const std::vector<ChosenGroup>& chosen) {
    std::set<std::pair<std::uint64_t, std::uint64_t>> images;
    for (const ChosenGroup& c : chosen) {
        const std::uint32_t count = pellimar_group_image_count(c.group);
        for (std::uint32_t j = 0; j < count; ++j) {
            const pellimar_image* image = pellimar_group_image(c.group, j);
            images.emplace(pellimar_image_offset(image), pellimar_image_length(image));
        }
    }
    std::uint64_t total = 0;
    for (const auto& image : images) total += image.second;
    return total;
}

struct Source {
    std::string path;
    bool named;  // given on the command line, not found in a folder
};

// Output names of one run: a name is handed out once; a later claim of it gets
// "~2", "~3"... before the extension.
class NameBook {
  public:
    std::string claim(const std::string& name) {
        if (used_.insert(name).second) return name;
        const std::size_t dot = name.rfind('.');
        const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
        const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
        for (int n = 2;; ++n) {
            std::string candidate = stem + "~" + std::to_string(n) + ext;
            if (used_.insert(candidate).second) return candidate;
        }
    }

  private:
    std::set<std::string> used_;
};

class Run {
  public:
    Run(fs::path dir, pellimar_output_folder* folder, Format format, std::optional<int> size,
        GroupChoice choice, bool json, bool progress, std::ostream& out, std::ostream& err)
        : dir_(std::move(dir)),
          folder_(folder),
          format_(format),
          size_(size),
          choice_(std::move(choice)),
          json_(json),
          progress_(progress),
          out_(out),
          err_(err) {}

    void file(const Source& source, std::size_t number, std::size_t total);
    // Ends the run's progress line; with `summary`, tells what the run did in one
    // line: the files read, the files written, the failures.
    void finish(bool summary) {
        if (progress_ && progressShown_) err_ << "\r\033[K" << std::flush;
        if (!summary) return;
        const auto counted = [](std::size_t n, const char* one, const char* many) {
            return std::to_string(n) + " " + (n == 1 ? one : many);
        };
        err_ << "pellimar-cli extract: " << counted(read_, "file read", "files read") << ", "
             << counted(written_, "file written", "files written") << ", "
             << counted(failures_, "failure", "failures") << "\n"
             << std::flush;
    }
    bool failed() const { return failed_; }

  private:
    void fail(const std::string& what);
    void note(const std::string& what);
    void icoGroup(pellimar_group* group, const std::string& source, const std::string& base);
    void pngImages(pellimar_group* group, const std::string& source, const std::string& base);
    void sizedPicture(pellimar_group* group, const std::string& source, const std::string& base);
    // Writes one output of `group`; `details` are further JSON members (", \"width\": 16").
    void write(const std::string& source, const pellimar_group* group, const std::string& name,
               std::span<const std::uint8_t> bytes, const std::string& details, const char* format);
    // The run stopped for the source at its output cap, with a note naming the cap.
    void capReached(const std::string& source, const pellimar_group* group,
                    const pellimar_failure* why);
    // The same at the budget of pixels the source may have decoded and made.
    void workSpent(const std::string& source, const pellimar_group* group,
                   const pellimar_failure* why);
    static bool budgetSpent(const pellimar_failure* why) {
        return pellimar_failure_cap(why) == PELLIMAR_CAP_PIXELS_PER_INPUT;
    }

    fs::path dir_;
    // The folder as the run holds it: the files are written through it, and
    // its path is not walked again for each.
    pellimar_output_folder* folder_;
    Format format_;
    std::optional<int> size_;
    GroupChoice choice_;
    bool languages_ = choice_.allLanguages || choice_.language.has_value();
    bool json_, progress_;
    std::ostream &out_, &err_;
    NameBook names_;
    // What one source may make the run write, and what it has written.
    std::uint64_t cap_ = 0, used_ = 0;
    bool capped_ = false;
    bool failed_ = false;
    bool progressShown_ = false;
    // For the summary: the source files read, the files written, the failures told.
    std::size_t read_ = 0, written_ = 0, failures_ = 0;
};

const char* extensionOf(Format f) {
    switch (f) {
        case Format::Ico:
            return "ico";
        case Format::Png:
            return "png";
        case Format::Bmp:
            return "bmp";
        case Format::Jpg:
            return "jpg";
    }
    return "";
}

void Run::note(const std::string& what) {
    if (progress_ && progressShown_) err_ << "\r\033[K";
    err_ << "pellimar-cli extract: " << what << "\n";
}

void Run::fail(const std::string& what) {
    failed_ = true;
    ++failures_;
    note(what);
}

void Run::capReached(const std::string& source, const pellimar_group* group,
                     const pellimar_failure* why) {
    capped_ = true;
    fail(source + ": extraction stops at " + groupText(group) +
         ": one input file may make it write " + (why ? pellimar_failure_what(why) : "") +
         ", and " + std::to_string(used_ >> 20) + " MB are written");
}

void Run::workSpent(const std::string& source, const pellimar_group* group,
                    const pellimar_failure* why) {
    capped_ = true;
    fail(source + ": extraction stops at " + groupText(group) + ": " + messageOf(why));
}

void Run::write(const std::string& source, const pellimar_group* group, const std::string& name,
                std::span<const std::uint8_t> bytes, const std::string& details,
                const char* format) {
    if (capped_) return;
    // A file past the cap takes no name of the run.
    pellimar_failure* why = nullptr;
    if (const Outcome fits = outcomeOf(pellimar_output_fits(cap_, used_, bytes.size(), &why), why);
        !fits)
        return capReached(source, group, fits.failure());
    const std::string claimed = names_.claim(name);
    const fs::path target = dir_ / claimed;
    // Whole or not at all under its name, never where another user steers. Not
    // synced: outputs can be made again from their sources, and a flush per file
    // would cost more than all the rest of a run.
    const Outcome written =
        outcomeOf(pellimar_output_folder_write(folder_, claimed.c_str(), bytes.data(), bytes.size(),
                                               PELLIMAR_WRITE_SCRATCH, nullptr, &why),
                  why);
    if (!written) {
        fail("cannot write " + quotedName(target.string()) + ": " +
             writeReasonOf(written.failure()));
        return;
    }
    used_ += bytes.size();
    ++written_;
    if (!json_) {
        out_ << quotedName(target.string()) << "\n";
        return;
    }
    out_ << "{" << jsonNameMembers("source", source)
         << ", \"icon\": " << pellimar_group_position(group) << identityJson(group) << ", "
         << jsonNameMembers("file", target.string()) << ", \"format\": \"" << format
         << "\", \"bytes\": " << bytes.size() << details << "}\n";
}

// "FILE: icon N" for the messages about an icon; with its language when a run
// may write more than one language of it.
std::string iconOf(const std::string& source, const pellimar_group* group,
                   bool withLanguage = false) {
    return source + ": " + groupText(group, withLanguage);
}

// The start of the names of a group's files: "NAME-3" for icon 3, "NAME-cursor-0"
// for cursor 0, with "-de-DE" (or the language's number) after it when every
// language is written.
std::string stemOf(const std::string& base, const pellimar_group* group, bool withLanguage) {
    std::string stem = base + (pellimar_group_kind(group) == PELLIMAR_CURSOR ? "-cursor-" : "-") +
                       std::to_string(pellimar_group_position(group));
    std::uint16_t language = 0;
    if (withLanguage && pellimar_group_language(group, &language)) {
        const char* tag = pellimar_language_tag(language);
        stem += "-" + (tag ? std::string(tag) : std::to_string(language));
    }
    return stem;
}

// Why an image has no bytes, once its group was loaded.
std::string missingImageText(const pellimar_image* image) {
    const pellimar_failure* why = pellimar_image_failure(image);
    return why ? messageOf(why) : "its bytes were not read";
}

void Run::icoGroup(pellimar_group* group, const std::string& source, const std::string& base) {
    if (const pellimar_failure* why = pellimar_group_failure(group)) {
        fail(iconOf(source, group, languages_) + ": " + messageOf(why));
        return;
    }
    int readable = 0;
    const std::uint32_t count = pellimar_group_image_count(group);
    for (std::uint32_t j = 0; j < count; ++j) {
        pellimar_image* image = pellimar_group_image(group, j);
        if (hasBytes(image)) {
            ++readable;
            continue;
        }
        const pellimar_failure* stored = pellimar_image_failure(image);
        const FailureHandle none(
            stored ? nullptr
                   : pellimar_failure_new(PELLIMAR_NO_IMAGE, 0, nullptr, PELLIMAR_NO_OFFSET, 0));
        fail(iconOf(source, group, languages_) + ": " +
             messageWithin(stored ? stored : none.get(), "image " + std::to_string(j)));
    }
    if (readable == 0) {
        if (count == 0) fail(iconOf(source, group, languages_) + ": its directory names no image");
        return;  // otherwise every image failed, each named above
    }
    // Written from the images as held: an image the group names many times is
    // held once, however often the file names it.
    Bytes file;
    std::uint8_t* data = nullptr;
    std::size_t size = 0;
    pellimar_failure* why = nullptr;
    const Outcome made =
        takeBytes(pellimar_group_to_file(group, &data, &size, &why), data, size, why, file);
    if (!made) {
        fail(iconOf(source, group, languages_) + ": " + messageOf(made.failure()));
        return;
    }
    const bool cursor = pellimar_group_kind(group) == PELLIMAR_CURSOR;
    write(source, group, stemOf(base, group, choice_.allLanguages) + (cursor ? ".cur" : ".ico"),
          file.span(), ", \"images\": " + std::to_string(readable), cursor ? "cur" : "ico");
}

void Run::pngImages(pellimar_group* group, const std::string& source, const std::string& base) {
    if (const pellimar_failure* why = pellimar_group_failure(group))
        fail(iconOf(source, group, languages_) + ": " + messageOf(why));
    const bool cursor = pellimar_group_kind(group) == PELLIMAR_CURSOR;
    const std::uint32_t count = pellimar_group_image_count(group);
    for (std::uint32_t j = 0; j < count; ++j) {
        pellimar_image* image = pellimar_group_image(group, j);
        const std::string which =
            iconOf(source, group, languages_) + ": image " + std::to_string(j);
        if (!hasBytes(image)) {
            fail(which + ": " + missingImageText(image));
            continue;
        }
        // A PNG image is already what is asked for: it is kept as stored, named
        // after what its header says; any other is decoded and encoded as PNG.
        Bytes file;
        std::uint8_t* data = nullptr;
        std::size_t size = 0;
        int32_t width = 0, height = 0, depth = 0;
        pellimar_failure* why = nullptr;
        const Outcome made =
            takeBytes(pellimar_image_to_png(image, &data, &size, &width, &height, &depth, &why),
                      data, size, why, file);
        if (!made && budgetSpent(made.failure())) return workSpent(source, group, made.failure());
        if (!made) {
            fail(which + ": " + messageOf(made.failure()));
            continue;
        }
        const std::string pixels = std::to_string(width) + "x" + std::to_string(height);
        std::string details = ", \"width\": " + std::to_string(width) +
                              ", \"height\": " + std::to_string(height) +
                              ", \"depth\": " + std::to_string(depth);
        if (cursor)
            details += ", \"hotspot\": [" + std::to_string(pellimar_image_hotspot_x(image)) + ", " +
                       std::to_string(pellimar_image_hotspot_y(image)) + "]";
        write(source, group,
              stemOf(base, group, choice_.allLanguages) + "-" + pixels + "-" +
                  std::to_string(depth) + ".png",
              file.span(), details, "png");
    }
}

void Run::sizedPicture(pellimar_group* group, const std::string& source, const std::string& base) {
    const int size = size_.value_or(kPictureSize);
    // The first language of an icon loads only the images the choice tries.
    pellimar_picture* made = nullptr;
    pellimar_failure* why = nullptr;
    const Outcome drawn = outcomeOf(
        pellimar_group_picture_at_size(group, size, PELLIMAR_CHOOSE_LIKE_WINDOWS, &made, &why),
        why);
    const std::string prefix = stemOf(base, group, choice_.allLanguages);
    if (!drawn && budgetSpent(drawn.failure())) return workSpent(source, group, drawn.failure());
    if (!drawn) {
        fail(iconOf(source, group, languages_) + ": " + messageOf(drawn.failure()));
        return;
    }
    const PictureHandle icon(made);
    Bytes bytes;
    Outcome encoded;
    std::string name, details;
    if (format_ == Format::Png) {
        std::uint8_t* data = nullptr;
        std::size_t length = 0;
        encoded = takeBytes(pellimar_picture_to_png(icon.get(), &data, &length, &why), data, length,
                            why, bytes);
        const int depth = pellimar_picture_bit_count(icon.get());
        name = prefix + "-" + std::to_string(size) + "x" + std::to_string(size) + "-" +
               std::to_string(depth) + ".png";
        details = ", \"width\": " + std::to_string(size) + ", \"height\": " + std::to_string(size) +
                  ", \"depth\": " + std::to_string(depth);
    } else {
        encoded = onWhite(icon.get(), size, format_ == Format::Jpg, bytes);
        name = prefix + "." + extensionOf(format_);
    }
    if (!encoded) {
        fail(iconOf(source, group, languages_) + ": the picture cannot be encoded (" +
             (encoded.failure() ? pellimar_failure_what(encoded.failure()) : "out of memory") +
             ")");
        return;
    }
    write(source, group, name, bytes.span(), details, extensionOf(format_));
}

void Run::file(const Source& source, std::size_t number, std::size_t total) {
    const std::string name = inputName(source.path);
    if (progress_) {
        err_ << "\r\033[K[" << number << "/" << total << "] " << name << std::flush;
        progressShown_ = true;
    }
    const OpenedInput in = openInput(source.path);
    if (!in) {
        // A file found in a folder that is of no kind read is passed over; one
        // named is an error, as any other that cannot be read.
        if (in.outcome.status == PELLIMAR_NOT_ICON_CONTAINER && !source.named)
            return note(name + ": " + reasonOf(in.failure()) + "; passed over");
        fail("cannot read " + name + ": " + reasonOf(in.failure()));
        return;
    }
    ++read_;
    pellimar_file* file = in.file.get();
    capped_ = false;
    cap_ = pellimar_output_cap(pellimar_file_size(file));
    used_ = 0;
    if (pellimar_file_group_count(file, PELLIMAR_ICON) == 0 &&
        pellimar_file_group_count(file, PELLIMAR_CURSOR) == 0 && source.named)
        note(name + ": no icons");
    // What the reading left out; the file's images cap is told below, where the
    // run stops.
    const std::uint32_t notes = pellimar_file_note_count(file);
    for (std::uint32_t i = 0; i < notes; ++i) {
        const pellimar_failure* left = pellimar_file_note(file, i);
        if (pellimar_failure_cap(left) != PELLIMAR_CAP_IMAGES_PER_FILE)
            note(name + ": " + messageOf(left));
    }
    const GroupsChosen chosen = chooseGroups(file, {PELLIMAR_ICON, PELLIMAR_CURSOR}, choice_);
    if (!chosen) {
        // Files found in folders are of every sort: one that lacks what was
        // asked for is passed over with a note; a file named fails.
        if (source.named)
            fail(name + ": " + *chosen.problem);
        else
            note(name + ": " + *chosen.problem + "; passed over");
        return;
    }
    std::string base = source.path == "-" ? "stdin" : fs::path(source.path).filename().string();
    if (base.empty()) base = "icon";
    // Where they fit the budget, every stored byte the run needs is read once, in
    // as few reads as may be; else each group's bytes are read as it is written.
    const bool asStored = format_ == Format::Ico || (format_ == Format::Png && !size_);
    const bool upFront =
        asStored && distinctImageBytes(chosen.groups) <= PELLIMAR_HELD_IMAGE_BUDGET;
    if (upFront) {
        const bool everyGroup = !choice_.namesGroup() && !choice_.language;
        if (everyGroup) {
            pellimar_file_load_all(file, PELLIMAR_ICON, nullptr);
            pellimar_file_load_all(file, PELLIMAR_CURSOR, nullptr);
        }
        for (const ChosenGroup& c : chosen.groups)
            if (!everyGroup || c.other) pellimar_group_load(c.group, nullptr);
    }
    for (const int32_t kind : {PELLIMAR_ICON, PELLIMAR_CURSOR}) {
        // As for list: a file that names the same image in every entry of 65,535
        // groups cannot make the run write without end.
        const std::uint32_t count = pellimar_file_group_count(file, kind);
        for (std::uint32_t i = 0; i < count; ++i)
            if (pellimar_group* group = pellimar_file_group(file, kind, i);
                pellimar_group_past_images_cap(group)) {
                fail(name + ": extraction stops after " +
                     std::to_string(PELLIMAR_MAX_IMAGES_PER_FILE) + " images, before " +
                     groupText(group) + " of " + std::to_string(count));
                break;
            }
    }
    for (const ChosenGroup& c : chosen.groups) {
        if (capped_) break;
        if (asStored && !upFront) pellimar_group_load(c.group, nullptr);
        if (format_ == Format::Ico)
            icoGroup(c.group, name, base);
        else if (format_ == Format::Png && !size_)
            pngImages(c.group, name, base);
        else
            sizedPicture(c.group, name, base);
        if (pellimar_file_image_bytes_held(file) > PELLIMAR_HELD_IMAGE_BUDGET)
            pellimar_file_release_images(file);
    }
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Whether `name` can name an application's icon in an icon theme: a file name of
// its own, without the extension the lookup adds.
std::optional<std::string> iconNameProblem(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return "NAME is empty";
    if (name.find('/') != std::string::npos) return "NAME names a file, not a folder: no \"/\"";
    for (const char* ext : {".png", ".svg", ".xpm"})
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ext) == 0)
            return "NAME is given without its extension (" + std::string(ext) + ")";
    return std::nullopt;
}

// extract --theme: the main icon of one file as an application's icon in the
// hicolor theme under DIR, one PNG for each square size its images have.
int extractToTheme(const ParsedArgs& parsed, GroupChoice choice, std::ostream& out,
                   std::ostream& err) {
    const std::string root = parsed.last("theme").value_or("");
    if (root.empty()) return usageError(kExtractCommand, "--theme DIR is empty", err);
    const auto appName = parsed.last("app-name");
    if (!appName) return usageError(kExtractCommand, "--theme needs --app-name NAME", err);
    if (auto problem = iconNameProblem(*appName)) return usageError(kExtractCommand, *problem, err);
    for (const char* other :
         {"out", "format", "size", "recursive", "any-file", "all-languages", "summary"})
        if (parsed.has(other))
            return usageError(kExtractCommand,
                              std::string("--") + other +
                                  " does not apply to --theme, which writes PNG files of one "
                                  "icon into DIR",
                              err);
    if (parsed.operands.size() != 1)
        return usageError(kExtractCommand, "--theme takes one FILE", err);
    const bool json = parsed.has("json");
    const std::string& operand = parsed.operands.front();
    const std::string name = inputName(operand);
    const OpenedInput in = openInput(operand);
    if (!in) {
        err << "pellimar-cli extract: cannot read " << name << ": " << reasonOf(in.failure())
            << "\n";
        return 1;
    }
    pellimar_file* file = in.file.get();
    if (pellimar_file_group_count(file, PELLIMAR_ICON) == 0) {
        err << "pellimar-cli extract: " << name << " has no icons\n";
        return 1;
    }
    if (!choice.namesGroup()) choice.index = 0;  // the main icon: the first group
    const GroupsChosen chosen = chooseGroups(file, {PELLIMAR_ICON}, choice);
    if (!chosen || chosen.groups.empty()) {
        err << "pellimar-cli extract: " << name << ": "
            << (chosen ? std::string("no such icon") : *chosen.problem) << "\n";
        return 1;
    }
    pellimar_group* group = chosen.groups.front().group;
    pellimar_group_load(group, nullptr);
    const std::string which = iconOf(name, group);
    if (const pellimar_failure* why = pellimar_group_failure(group)) {
        err << "pellimar-cli extract: " << which << ": " << messageOf(why) << "\n";
        return 1;
    }
    bool failed = false;
    // The deepest image of each square size (the first of equals).
    std::map<int, std::uint32_t> best;
    const std::uint32_t count = pellimar_group_image_count(group);
    for (std::uint32_t j = 0; j < count; ++j) {
        pellimar_image* image = pellimar_group_image(group, j);
        const std::string about = which + ": image " + std::to_string(j);
        if (!hasBytes(image)) {
            err << "pellimar-cli extract: " << about << ": " << missingImageText(image) << "\n";
            failed = true;
            continue;
        }
        const int width = pellimar_image_width(image), height = pellimar_image_height(image);
        if (width != height) {
            err << "pellimar-cli extract: note: " << about << " is " << width << "x" << height
                << ": a theme holds square images only\n";
            continue;
        }
        auto it = best.find(width);
        if (it == best.end() || pellimar_image_depth(image) >
                                    pellimar_image_depth(pellimar_group_image(group, it->second)))
            best[width] = j;
    }
    for (const auto& [size, j] : best) {
        pellimar_image* image = pellimar_group_image(group, j);
        const std::string about = which + ": image " + std::to_string(j);
        const std::uint8_t* stored = nullptr;
        std::size_t storedSize = 0;
        pellimar_failure* why = nullptr;
        Outcome had = outcomeOf(pellimar_image_data(image, &stored, &storedSize, &why), why);
        if (!had) {
            err << "pellimar-cli extract: " << about << ": " << messageOf(had.failure()) << "\n";
            failed = true;
            continue;
        }
        // A PNG image is a theme's picture as it is stored.
        static const std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::span<const std::uint8_t> bytes(stored, storedSize);
        Bytes encoded;
        if (!(storedSize >= 8 && std::memcmp(stored, kPngSignature, 8) == 0)) {
            pellimar_picture* decoded = nullptr;
            const Outcome icon = outcomeOf(pellimar_image_decode(image, &decoded, &why), why);
            if (!icon) {
                err << "pellimar-cli extract: " << about << ": " << messageOf(icon.failure())
                    << "\n";
                failed = true;
                continue;
            }
            const PictureHandle picture(decoded);
            std::uint8_t* data = nullptr;
            std::size_t length = 0;
            const Outcome png =
                takeBytes(pellimar_picture_to_png(picture.get(), &data, &length, &why), data,
                          length, why, encoded);
            if (!png) {
                err << "pellimar-cli extract: " << about << ": cannot be encoded as PNG ("
                    << (png.failure() ? pellimar_failure_what(png.failure()) : "out of memory")
                    << ")\n";
                failed = true;
                continue;
            }
            bytes = encoded.span();
        }
        const std::string pixels = std::to_string(size) + "x" + std::to_string(size);
        const fs::path folder = fs::path(root) / "hicolor" / pixels / "apps";
        const fs::path target = folder / (*appName + ".png");
        // The folders made by the writer's walk, which no other user steers; the
        // temporaries a killed run left in the one written to go, as extract's do.
        pellimar_output_folder* opened = nullptr;
        Outcome written = outcomeOf(
            pellimar_output_folder_open(folder.c_str(), PELLIMAR_FOLDER_CREATE, &opened, &why),
            why);
        if (written) {
            const FolderHandle made(opened);
            pellimar_output_folder_remove_stale(made.get());
            // Whole or not at all under its name, through the folder as it is held.
            const std::string name = *appName + ".png";
            written = outcomeOf(
                pellimar_output_folder_write(made.get(), name.c_str(), bytes.data(), bytes.size(),
                                             PELLIMAR_WRITE_SCRATCH, nullptr, &why),
                why);
        }
        if (!written) {
            err << "pellimar-cli extract: cannot write " << quotedName(target.string()) << ": "
                << writeReasonOf(written.failure()) << "\n";
            failed = true;
            continue;
        }
        if (json)
            out << "{" << jsonNameMembers("source", name)
                << ", \"icon\": " << pellimar_group_position(group) << identityJson(group) << ", "
                << jsonNameMembers("file", target.string())
                << ", \"format\": \"png\", \"bytes\": " << bytes.size() << ", \"width\": " << size
                << ", \"height\": " << size << ", \"depth\": " << pellimar_image_depth(image)
                << "}\n";
        else
            out << quotedName(target.string()) << "\n";
    }
    if (best.empty() && !failed) {
        err << "pellimar-cli extract: " << which << " has no square image: nothing written\n";
        failed = true;
    }
    out.flush();
    return failed ? 1 : 0;
}

}  // namespace

int extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ParsedArgs parsed;
    std::vector<Option> options = {{"out", 'o', true},   {"format", 'f', true},
                                   {"size", 's', true},  {"recursive", 'r', false},
                                   {"json", 'j', false}, {"any-file", 0, false},
                                   {"theme", 0, true},   {"app-name", 0, true},
                                   {"index", 0, true},   {"summary", 0, false}};
    options.insert(options.end(), kChoiceOptions.begin(), kChoiceOptions.end());
    if (auto done = readCommandLine(args, options, kExtractCommand, out, err, parsed)) return *done;
    GroupChoice choice;
    if (auto wrong = readChoice(parsed, choice)) return usageError(kExtractCommand, *wrong, err);
    if (auto text = parsed.last("index")) {
        if (!parsed.has("theme"))
            return usageError(kExtractCommand, "--index chooses the icon of --theme", err);
        choice.index = parseNumber(*text, 0, 0x7FFFFFFF);
        if (!choice.index) return usageError(kExtractCommand, "INDEX must be a number from 0", err);
    }
    if (parsed.has("theme")) return extractToTheme(parsed, choice, out, err);
    if (parsed.has("app-name"))
        return usageError(kExtractCommand, "--app-name names the icon of --theme", err);

    const std::string formatName = parsed.last("format").value_or("ico");
    Format format;
    if (formatName == "ico" || formatName == "cur")
        format = Format::Ico;
    else if (formatName == "png")
        format = Format::Png;
    else if (formatName == "bmp")
        format = Format::Bmp;
    else if (formatName == "jpg")
        format = Format::Jpg;
    else
        return usageError(kExtractCommand, "unknown format " + formatName, err);
    std::optional<int> size;
    if (auto text = parsed.last("size")) {
        if (format == Format::Ico)
            return usageError(
                kExtractCommand,
                "--size does not apply to --format " + formatName + ": its images stay as stored",
                err);
        size = parseNumber(*text, 1, kMaxSize);
        if (!size) return usageError(kExtractCommand, "SIZE must be a number from 1 to 1024", err);
    }
    const auto dir = parsed.last("out");
    if (!dir || dir->empty()) return usageError(kExtractCommand, "--out DIR is needed", err);
    if (*dir == "-")
        return usageError(kExtractCommand, "--out must name a folder: extract writes many files",
                          err);
    if (parsed.operands.empty()) return usageError(kExtractCommand, "no FILE or FOLDER given", err);

    // Made, where it is missing, by the writer's walk: no other user steers it.
    pellimar_output_folder* opened = nullptr;
    pellimar_failure* why = nullptr;
    const Outcome made = outcomeOf(
        pellimar_output_folder_open(dir->c_str(), PELLIMAR_FOLDER_CREATE, &opened, &why), why);
    if (!made) {
        err << "pellimar-cli extract: cannot make the folder " << *dir << ": "
            << writeReasonOf(made.failure()) << "\n";
        return 1;
    }
    const FolderHandle folder(opened);

    uint32_t kinds = PELLIMAR_WALK_EXE | PELLIMAR_WALK_DLL | PELLIMAR_WALK_ICO | PELLIMAR_WALK_ICL |
                     PELLIMAR_WALK_MORE;
    if (parsed.has("any-file")) kinds |= PELLIMAR_WALK_ANY_NAME;
    if (parsed.has("recursive")) kinds |= PELLIMAR_WALK_RECURSIVE;
    struct Walk {
        std::vector<Source> sources;
        std::ostream& err;
    } walk{{}, err};
    for (const std::string& operand : parsed.operands) {
        if (operand == "-" || !isFolder(operand)) {
            walk.sources.push_back({operand, true});
            continue;
        }
        // Regular files only; every folder the walk leaves out is told: a link to
        // a folder, one that cannot be opened or read.
        const Outcome walked = outcomeOf(
            pellimar_walk_folder(
                operand.c_str(), kinds,
                [](const char* path, void* user) {
                    static_cast<Walk*>(user)->sources.push_back({path, false});
                    return 0;
                },
                [](const char* path, int32_t, int32_t, const char* reason, void* user) {
                    static_cast<Walk*>(user)->err << "pellimar-cli extract: note: " << path << ": "
                                                  << reason << "\n";
                },
                &walk, &why),
            why);
        if (!walked) {
            err << "pellimar-cli extract: cannot read the folder " << operand << ": "
                << messageOf(walked.failure()) << "\n";
            return 1;
        }
    }
    std::vector<Source>& sources = walk.sources;

    // Temporaries of runs killed before, where the file system has no unnamed files.
    pellimar_output_folder_remove_stale(folder.get());
    const bool progress = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    Run run(*dir, folder.get(), format, size, choice, parsed.has("json"), progress, out, err);
    for (std::size_t i = 0; i < sources.size(); ++i) run.file(sources[i], i + 1, sources.size());
    run.finish(progress || parsed.has("summary"));
    out.flush();
    return run.failed() ? 1 : 0;
}

}  // namespace pellimar::cli
