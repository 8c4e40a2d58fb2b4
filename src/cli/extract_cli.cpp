#include "cli/extract_cli.h"
#include "cli/icons_cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <system_error>

#include "cli/input.h"
#include "cli/json_text.h"
#include "cli/resource_choice.h"
#include "core/folder_walk.h"
#include "platform/atomic_file.h"
#include "platform/caps.h"
#include "platform/icon_decode.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/language_tags.h"
#include "platform/output_files.h"
#include "platform/picture_work.h"
#include "platform/png_codec.h"
#include "platform/raster.h"

namespace pellimar::cli {
namespace fs = std::filesystem;

namespace {

enum class Format { Ico, Png, Bmp, Jpg };

constexpr int kMaxSize = 1024;
static_assert(kMinOutputCap == 256ull << 20 && kOutputCapFactor == 64,
              "the help text of extract states the output cap of one input");
static_assert(kMinPixelBudget == 128000000 && kPixelBudgetPerByte == 16,
              "the help text of extract states the budget of pixels of one input");
constexpr int kPictureSize = 32;

// The bytes of the distinct images the chosen groups name, as their directories
// state them.
std::uint64_t distinctImageBytes(const IconSet& set, const std::vector<ChosenGroup>& chosen) {
    std::set<std::pair<std::uint64_t, std::uint64_t>> images;
    for (const ChosenGroup& c : chosen)
        for (const StoredImage& image : groupOf(set, c).images)
            images.emplace(image.offset, image.length);
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
    Run(fs::path dir, Format format, std::optional<int> size, GroupChoice choice, bool json,
        bool progress, std::ostream& out, std::ostream& err)
        : dir_(std::move(dir)),
          format_(format),
          size_(size),
          choice_(std::move(choice)),
          json_(json),
          progress_(progress),
          out_(out),
          err_(err) {}

    void file(const Source& source, std::size_t number, std::size_t total);
    void finish() {
        if (progress_ && progressShown_) err_ << "\r\033[K" << std::flush;
    }
    bool failed() const { return failed_; }

  private:
    void fail(const std::string& what);
    void note(const std::string& what);
    void icoGroup(const IconGroup& group, const std::string& source, const std::string& base);
    void pngImages(const IconGroup& group, const std::string& source, const std::string& base);
    void sizedPicture(IconSet& set, const ChosenGroup& chosen, const std::string& source,
                      const std::string& base);
    // Writes one output of `group`; `details` are further JSON members (", \"width\": 16").
    void write(const std::string& source, const GroupIdentity& group, const std::string& name,
               const OutputFile& file, const std::string& details, const char* format);
    // The run stopped for the source at its output cap, with a note naming the cap.
    void capReached(const std::string& source, const GroupIdentity& group, const Failure& why);
    // The same at the budget of pixels the source may make decoded and made.
    void workSpent(const std::string& source, const GroupIdentity& group);

    fs::path dir_;
    Format format_;
    std::optional<int> size_;
    GroupChoice choice_;
    bool languages_ = choice_.allLanguages || choice_.language.has_value();
    bool json_, progress_;
    std::ostream &out_, &err_;
    NameBook names_;
    // What one source may make the run write, and what it has written.
    OutputBudget budget_;
    // The pictures made of one source: each image decoded once, within a budget.
    PictureWork work_;
    bool capped_ = false;
    bool failed_ = false;
    bool progressShown_ = false;
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
    note(what);
}

void Run::capReached(const std::string& source, const GroupIdentity& group, const Failure& why) {
    capped_ = true;
    fail(source + ": extraction stops at " + groupText(group) +
         ": one input file may make it write " + why.what + ", and " +
         std::to_string(budget_.used() >> 20) + " MB are written");
}

void Run::workSpent(const std::string& source, const GroupIdentity& group) {
    capped_ = true;
    fail(source + ": extraction stops at " + groupText(group) + ": " +
         work_.budgetFailure().message());
}

void Run::write(const std::string& source, const GroupIdentity& group, const std::string& name,
                const OutputFile& file, const std::string& details, const char* format) {
    if (capped_) return;
    // A file past the cap takes no name of the run.
    if (const std::optional<Failure> refused = budget_.refusal(file.size()))
        return capReached(source, group, *refused);
    const fs::path target = dir_ / names_.claim(name);
    // Whole or not at all under its name, never where another user steers. Not
    // synced: outputs can be made again from their sources, and a flush per file
    // would cost more than all the rest of a run.
    // The budget counts the file (it fits: see above).
    const auto written = writeOutput(target, file, {.durability = Durability::Scratch}, &budget_);
    if (!written) {
        fail("cannot write " + quotedName(target.string()) + ": " +
             writeFailureReason(written.failure()));
        return;
    }
    const std::uint64_t size = file.size();
    if (!json_) {
        out_ << quotedName(target.string()) << "\n";
        return;
    }
    out_ << "{" << jsonNameMembers("source", source) << ", \"icon\": " << group.position
         << identityJson(group) << ", " << jsonNameMembers("file", target.string())
         << ", \"format\": \"" << format << "\", \"bytes\": " << size << details << "}\n";
}

// "FILE: icon N" for the messages about an icon; with its language when a run
// may write more than one language of it.
std::string iconOf(const std::string& source, const GroupIdentity& group,
                   bool withLanguage = false) {
    return source + ": " + groupText(group, withLanguage);
}

// The start of the names of a group's files: "NAME-3" for icon 3, "NAME-cursor-0"
// for cursor 0, with "-de-DE" (or the language's number) after it when every
// language is written.
std::string stemOf(const std::string& base, const GroupIdentity& group, bool withLanguage) {
    std::string stem = base + (group.kind == ResourceKind::Cursor ? "-cursor-" : "-") +
                       std::to_string(group.position);
    if (withLanguage && group.language) {
        const auto tag = languageTag(*group.language);
        stem += "-" + (tag ? std::string(*tag) : std::to_string(*group.language));
    }
    return stem;
}

void Run::icoGroup(const IconGroup& group, const std::string& source, const std::string& base) {
    const GroupIdentity& id = group.identity;
    if (group.failure) {
        fail(iconOf(source, id, languages_) + ": " + group.failure->message());
        return;
    }
    int readable = 0;
    for (std::size_t j = 0; j < group.images.size(); ++j) {
        const StoredImage& image = group.images[j];
        if (image.loaded()) {
            ++readable;
            continue;
        }
        const Failure why = image.failure ? *image.failure : failure(Fault::NoImage);
        fail(iconOf(source, id, languages_) + ": " +
             why.within("image " + std::to_string(j)).message());
    }
    if (readable == 0) {
        if (group.images.empty())
            fail(iconOf(source, id, languages_) + ": its directory names no image");
        return;  // otherwise every image failed, each named above
    }
    // Written from the images as held: an image the group names many times is
    // held once, however often the file names it.
    const Result<OutputFile> file = storedIconFile(group);
    if (!file) {
        fail(iconOf(source, id, languages_) + ": " + file.failure().message());
        return;
    }
    const bool cursor = id.kind == ResourceKind::Cursor;
    write(source, id, stemOf(base, id, choice_.allLanguages) + (cursor ? ".cur" : ".ico"), *file,
          ", \"images\": " + std::to_string(readable), cursor ? "cur" : "ico");
}

void Run::pngImages(const IconGroup& group, const std::string& source, const std::string& base) {
    const GroupIdentity& id = group.identity;
    if (group.failure) fail(iconOf(source, id, languages_) + ": " + group.failure->message());
    for (std::size_t j = 0; j < group.images.size(); ++j) {
        const StoredImage& image = group.images[j];
        const std::string which = iconOf(source, id, languages_) + ": image " + std::to_string(j);
        if (!image.loaded()) {
            fail(which + ": " +
                 (image.failure ? image.failure->message() : "its bytes were not read"));
            continue;
        }
        const std::span<const std::uint8_t> stored = image.data;
        int width = 0, height = 0, depth = 0;
        OutputFile file;
        if (looksLikePng(stored)) {
            // A PNG image is already what is asked for: it is kept as stored, named
            // after what its header says.
            auto header = readPngHeader(stored, kMaxDibDimension);
            if (!header) {
                const std::optional<Failure> past = pastImageCaps(stored);
                fail(which + ": " +
                     (past ? past->message() : "a damaged PNG image (its header cannot be read)"));
                continue;
            }
            width = header->width, height = header->height, depth = header->bitsPerPixel;
            file = OutputFile(stored, image.storage);
        } else {
            const Result<Icon> icon = work_.decoded(image);
            if (!icon && icon.failure().cap == Cap::PixelsPerInput) return workSpent(source, id);
            if (!icon) {
                fail(which + ": " + icon.failure().message());
                continue;
            }
            Result<OutputFile> png = pngFile(*icon);
            if (!png) {
                fail(which + ": cannot be encoded as PNG (" + png.failure().what + ")");
                continue;
            }
            file = std::move(*png);
            width = icon->width, height = icon->height, depth = icon->bitCount;
        }
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        std::string details = ", \"width\": " + std::to_string(width) +
                              ", \"height\": " + std::to_string(height) +
                              ", \"depth\": " + std::to_string(depth);
        if (id.kind == ResourceKind::Cursor)
            details += ", \"hotspot\": [" + std::to_string(image.hotspotX) + ", " +
                       std::to_string(image.hotspotY) + "]";
        write(source, id,
              stemOf(base, id, choice_.allLanguages) + "-" + size + "-" + std::to_string(depth) +
                  ".png",
              file, details, "png");
    }
}

void Run::sizedPicture(IconSet& set, const ChosenGroup& chosen, const std::string& source,
                       const std::string& base) {
    const int size = size_.value_or(kPictureSize);
    const GroupIdentity& id = groupOf(set, chosen).identity;
    // The first language of an icon loads only the images the choice tries.
    const Result<Icon> icon =
        chosen.kind == ResourceKind::Icon && chosen.variant < 0
            ? iconAtSize(set, chosen.position, size, SizePolicy::LikeWindows, &work_)
            : iconAtSize(chosen.variant < 0 ? set.load(chosen.kind, chosen.position)
                                            : set.loadOtherLanguage(chosen.kind, chosen.variant),
                         size, SizePolicy::LikeWindows, &work_);
    const std::string prefix = stemOf(base, id, choice_.allLanguages);
    if (!icon && icon.failure().cap == Cap::PixelsPerInput) return workSpent(source, id);
    if (!icon) {
        fail(iconOf(source, id, languages_) + ": " + icon.failure().message());
        return;
    }
    Result<OutputFile> bytes = failure(Fault::CannotEncode);
    std::string name, details;
    if (format_ == Format::Png) {
        bytes = pngFile(*icon);
        name = prefix + "-" + std::to_string(size) + "x" + std::to_string(size) + "-" +
               std::to_string(icon->bitCount) + ".png";
        details = ", \"width\": " + std::to_string(size) + ", \"height\": " + std::to_string(size) +
                  ", \"depth\": " + std::to_string(icon->bitCount);
    } else {
        const RgbImage canvas = drawnOnWhite(*icon, size, size);
        bytes = format_ == Format::Bmp ? bmpFile(canvas) : jpegFile(canvas);
        name = prefix + "." + extensionOf(format_);
    }
    if (!bytes) {
        fail(iconOf(source, id, languages_) + ": the picture cannot be encoded (" +
             bytes.failure().what + ")");
        return;
    }
    write(source, id, name, *bytes, details, extensionOf(format_));
}

void Run::file(const Source& source, std::size_t number, std::size_t total) {
    const std::string name = inputName(source.path);
    if (progress_) {
        err_ << "\r\033[K[" << number << "/" << total << "] " << name << std::flush;
        progressShown_ = true;
    }
    auto set = openInput(source.path);
    if (!set) {
        if (set.failure().fault == Fault::NotIconContainer) {
            if (source.named) note(name + ": no icons (" + set.failure().message() + ")");
            return;
        }
        fail("cannot read " + name + ": " + reasonOf(set.failure()));
        return;
    }
    capped_ = false;
    budget_ = OutputBudget(set->fileSize());
    work_ = PictureWork(pixelBudgetOf(set->fileSize()));
    if (set->iconCount() == 0 && set->cursors().empty() && source.named) note(name + ": no icons");
    // What the reading left out; the file's images cap is told below, where the
    // run stops.
    for (const Failure& left : set->notes())
        if (left.cap != Cap::ImagesPerFile) note(name + ": " + left.message());
    const auto chosen = chooseGroups(*set, {ResourceKind::Icon, ResourceKind::Cursor}, choice_);
    if (!chosen) {
        // Files found in folders are of every sort: one that lacks what was
        // asked for is passed over with a note; a file named fails.
        if (source.named)
            fail(name + ": " + chosen.failure().what);
        else
            note(name + ": " + chosen.failure().what + "; passed over");
        return;
    }
    std::string base = source.path == "-" ? "stdin" : fs::path(source.path).filename().string();
    if (base.empty()) base = "icon";
    // Where they fit the budget, every stored byte the run needs is read once, in
    // as few reads as may be; else each group's bytes are read as it is written.
    const bool asStored = format_ == Format::Ico || (format_ == Format::Png && !size_);
    const bool upFront = asStored && distinctImageBytes(*set, *chosen) <= kHeldImageBudget;
    auto loadGroup = [&](const ChosenGroup& c) {
        if (c.variant >= 0)
            set->loadOtherLanguage(c.kind, c.variant);
        else
            set->load(c.kind, c.position);
    };
    if (upFront) {
        const bool everyGroup = !choice_.namesGroup() && !choice_.language;
        if (everyGroup) {
            set->loadAll(ResourceKind::Icon);
            set->loadAll(ResourceKind::Cursor);
        }
        for (const ChosenGroup& c : *chosen)
            if (!everyGroup || c.variant >= 0) loadGroup(c);
    }
    for (ResourceKind kind : {ResourceKind::Icon, ResourceKind::Cursor}) {
        // As for list: a file that names the same image in every entry of 65,535
        // groups cannot make the run write without end.
        const auto& groups = set->groups(kind);
        for (std::size_t i = 0; i < groups.size(); ++i)
            if (groups[i].pastImagesCap()) {
                fail(name + ": extraction stops after " + std::to_string(kMaxImagesPerFile) +
                     " images, before " + groupText(groups[i].identity) + " of " +
                     std::to_string(groups.size()));
                break;
            }
    }
    for (const ChosenGroup& c : *chosen) {
        if (capped_) break;
        if (asStored && !upFront) loadGroup(c);
        const IconGroup& group = groupOf(*set, c);
        if (format_ == Format::Ico)
            icoGroup(group, name, base);
        else if (format_ == Format::Png && !size_)
            pngImages(group, name, base);
        else
            sizedPicture(*set, c, name, base);
        if (set->imageBytesHeld() > kHeldImageBudget) set->releaseImages();
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
    for (const char* other : {"out", "format", "size", "recursive", "any-file", "all-languages"})
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
    auto set = openInput(operand);
    if (!set) {
        err << "pellimar-cli extract: cannot read " << name << ": " << reasonOf(set.failure())
            << "\n";
        return 1;
    }
    if (set->iconCount() == 0) {
        err << "pellimar-cli extract: " << name << " has no icons\n";
        return 1;
    }
    if (!choice.namesGroup()) choice.index = 0;  // the main icon: the first group
    const auto chosen = chooseGroups(*set, {ResourceKind::Icon}, choice);
    if (!chosen || chosen->empty()) {
        err << "pellimar-cli extract: " << name << ": "
            << (chosen ? std::string("no such icon") : chosen.failure().what) << "\n";
        return 1;
    }
    const ChosenGroup& c = chosen->front();
    const IconGroup& group = c.variant < 0 ? set->load(ResourceKind::Icon, c.position)
                                           : set->loadOtherLanguage(ResourceKind::Icon, c.variant);
    const std::string which = iconOf(name, group.identity);
    if (group.failure) {
        err << "pellimar-cli extract: " << which << ": " << group.failure->message() << "\n";
        return 1;
    }
    bool failed = false;
    // The deepest image of each square size (the first of equals).
    std::map<int, std::size_t> best;
    for (std::size_t j = 0; j < group.images.size(); ++j) {
        const StoredImage& image = group.images[j];
        const std::string about = which + ": image " + std::to_string(j);
        if (!image.loaded()) {
            err << "pellimar-cli extract: " << about << ": "
                << (image.failure ? image.failure->message() : "its bytes were not read") << "\n";
            failed = true;
            continue;
        }
        if (image.width() != image.height()) {
            err << "pellimar-cli extract: note: " << about << " is " << image.width() << "x"
                << image.height() << ": a theme holds square images only\n";
            continue;
        }
        auto it = best.find(image.width());
        if (it == best.end() || image.depth > group.images[it->second].depth)
            best[image.width()] = j;
    }
    for (const auto& [size, j] : best) {
        const StoredImage& image = group.images[j];
        const std::string about = which + ": image " + std::to_string(j);
        // A PNG image is a theme's picture as it is stored.
        OutputFile file(image.data, image.storage);
        if (!looksLikePng(image.data)) {
            const Result<Icon> icon = decodeIconImage(image.data);
            if (!icon) {
                err << "pellimar-cli extract: " << about << ": " << icon.failure().message()
                    << "\n";
                failed = true;
                continue;
            }
            Result<OutputFile> png = pngFile(*icon);
            if (!png) {
                err << "pellimar-cli extract: " << about << ": cannot be encoded as PNG ("
                    << png.failure().what << ")\n";
                failed = true;
                continue;
            }
            file = std::move(*png);
        }
        const std::string pixels = std::to_string(size) + "x" + std::to_string(size);
        const fs::path folder = fs::path(root) / "hicolor" / pixels / "apps";
        const fs::path target = folder / (*appName + ".png");
        // The folders made by the writer's walk, which no other user steers; the
        // temporaries a killed run left in the one written to go, as extract's do.
        auto made = OutputFolder::open(folder, true);
        Result<Placed> written = made.ok() ? Result<Placed>(Placed::Written) : made.failure();
        if (made) {
            made->removeStaleTemporaries();
            // Whole or not at all under its name.
            written = writeOutput(target, file, {.durability = Durability::Scratch});
        }
        if (!written) {
            err << "pellimar-cli extract: cannot write " << quotedName(target.string()) << ": "
                << writeFailureReason(written.failure()) << "\n";
            failed = true;
            continue;
        }
        if (json)
            out << "{" << jsonNameMembers("source", name)
                << ", \"icon\": " << group.identity.position << identityJson(group.identity) << ", "
                << jsonNameMembers("file", target.string())
                << ", \"format\": \"png\", \"bytes\": " << file.size() << ", \"width\": " << size
                << ", \"height\": " << size << ", \"depth\": " << image.depth << "}\n";
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
    std::vector<Option> options = {
        {"out", 'o', true},        {"format", 'f', true}, {"size", 's', true},
        {"recursive", 'r', false}, {"json", 'j', false},  {"any-file", 0, false},
        {"theme", 0, true},        {"app-name", 0, true}, {"index", 0, true}};
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
    const auto folder = OutputFolder::open(*dir, true);
    if (!folder) {
        err << "pellimar-cli extract: cannot make the folder " << *dir << ": "
            << writeFailureReason(folder.failure()) << "\n";
        return 1;
    }

    FileKinds kinds{true, true, true, true};
    kinds.more = true;
    kinds.anyName = parsed.has("any-file");
    std::vector<Source> sources;
    // Every folder the walk leaves out is told: a link to a folder, one that
    // cannot be opened or read.
    WalkHooks hooks;
    hooks.skipped = [&](const SkippedFolder& skipped) {
        err << "pellimar-cli extract: note: " << skipped.path.string() << ": "
            << skippedFolderReason(skipped) << "\n";
    };
    for (const std::string& operand : parsed.operands) {
        if (operand == "-" || !isFolder(operand)) {
            sources.push_back({operand, true});
            continue;
        }
        for (const fs::path& p : gatherScanFiles(operand, kinds, parsed.has("recursive"), hooks))
            sources.push_back({p.string(), false});  // regular files only
    }

    // Temporaries of runs killed before, where the file system has no unnamed files.
    folder->removeStaleTemporaries();
    const bool progress = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    Run run(*dir, format, size, choice, parsed.has("json"), progress, out, err);
    for (std::size_t i = 0; i < sources.size(); ++i) run.file(sources[i], i + 1, sources.size());
    run.finish();
    out.flush();
    return run.failed() ? 1 : 0;
}

}  // namespace pellimar::cli
