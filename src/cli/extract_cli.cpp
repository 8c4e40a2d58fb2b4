#include "cli/extract_cli.h"
#include "cli/icons_cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <optional>
#include <set>
#include <span>
#include <system_error>

#include "cli/json_text.h"
#include "core/folder_walk.h"
#include "platform/atomic_file.h"
#include "platform/bmp_file.h"
#include "platform/icon_decode.h"
#include "platform/icon_encoder.h"
#include "platform/icon_png.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/jpeg_file.h"
#include "platform/png_codec.h"
#include "platform/raster.h"

namespace pellimar::cli {
namespace fs = std::filesystem;

namespace {

enum class Format { Ico, Png, Bmp, Jpg };

constexpr int kMaxSize = 1024;
// What one input file may make a run write: this much, or its size this many
// times when that is more.
constexpr std::uint64_t kMinOutputCap = 256ull << 20;
constexpr std::uint64_t kOutputCapFactor = 64;
constexpr int kPictureSize = 32;

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
    Run(fs::path dir, Format format, std::optional<int> size, bool json, bool progress,
        std::ostream& out, std::ostream& err)
        : dir_(std::move(dir)),
          format_(format),
          size_(size),
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
    void sizedPicture(IconSet& set, const std::string& source, const std::string& base, int index);
    // Writes one output; `details` are further JSON members (", \"width\": 16").
    void write(const std::string& source, int index, const std::string& name,
               std::span<const std::uint8_t> bytes, const std::string& details);
    void write(const std::string& source, int index, const std::string& name,
               std::span<const ByteSpan> pieces, const std::string& details);
    // Whether the source's outputs may grow by `size` bytes: false, with the run
    // stopped for that source and a note naming the cap, when they may not.
    bool withinCap(const std::string& source, int index, std::uint64_t size);

    fs::path dir_;
    Format format_;
    std::optional<int> size_;
    bool json_, progress_;
    std::ostream &out_, &err_;
    NameBook names_;
    // What one source may make the run write, and what it has written.
    std::uint64_t budget_ = 0, written_ = 0;
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

bool Run::withinCap(const std::string& source, int index, std::uint64_t size) {
    if (capped_) return false;
    if (written_ + size <= budget_) return true;
    capped_ = true;
    fail(source + ": extraction stops at icon " + std::to_string(index) +
         ": one input file may make it write at most " + std::to_string(budget_ >> 20) + " MB (" +
         std::to_string(kMinOutputCap >> 20) + " MB, or " + std::to_string(kOutputCapFactor) +
         " times the file's size when that is more), and " + std::to_string(written_ >> 20) +
         " MB are written");
    return false;
}

void Run::write(const std::string& source, int index, const std::string& name,
                std::span<const std::uint8_t> bytes, const std::string& details) {
    const ByteSpan piece = bytes;
    write(source, index, name, std::span(&piece, 1), details);
}

void Run::write(const std::string& source, int index, const std::string& name,
                std::span<const ByteSpan> pieces, const std::string& details) {
    std::uint64_t size = 0;
    for (const ByteSpan& piece : pieces) size += piece.size();
    if (!withinCap(source, index, size)) return;
    const fs::path target = dir_ / names_.claim(name);
    // Whole or not at all under its name, never through a link planted by someone
    // else. Not synced: outputs can be made again from their sources, and a flush
    // per file would cost more than all the rest of a run.
    errno = 0;
    if (!writeFileAtomically(target, pieces, Durability::Scratch)) {
        fail("cannot write " + quotedName(target.string()) + ": " +
             (errno ? systemReason(errno) : std::string("write failed")));
        return;
    }
    written_ += size;
    if (!json_) {
        out_ << quotedName(target.string()) << "\n";
        return;
    }
    out_ << "{" << jsonNameMembers("source", source) << ", \"icon\": " << index << ", "
         << jsonNameMembers("file", target.string()) << ", \"format\": \"" << extensionOf(format_)
         << "\", \"bytes\": " << size << details << "}\n";
}

// "FILE: icon N" for the messages about an icon.
std::string iconOf(const std::string& source, int index) {
    return source + ": icon " + std::to_string(index);
}

void Run::icoGroup(const IconGroup& group, const std::string& source, const std::string& base) {
    const int index = group.identity.position;
    if (group.failure) {
        fail(iconOf(source, index) + ": " + group.failure->message());
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
        fail(iconOf(source, index) + ": " + why.within("image " + std::to_string(j)).message());
    }
    if (readable == 0) {
        if (group.images.empty()) fail(iconOf(source, index) + ": its directory names no image");
        return;  // otherwise every image failed, each named above
    }
    // Written from the images as held: an image the group names many times is
    // held once, however often the file names it.
    const auto file = encodeStoredGroupInPieces(group);
    if (!file) {
        fail(iconOf(source, index) + ": " + file.failure().message());
        return;
    }
    write(source, index, base + "-" + std::to_string(index) + ".ico", file->pieces,
          ", \"images\": " + std::to_string(readable));
}

void Run::pngImages(const IconGroup& group, const std::string& source, const std::string& base) {
    const int index = group.identity.position;
    if (group.failure) fail(iconOf(source, index) + ": " + group.failure->message());
    for (std::size_t j = 0; j < group.images.size(); ++j) {
        const StoredImage& image = group.images[j];
        const std::string which = iconOf(source, index) + ": image " + std::to_string(j);
        if (!image.loaded()) {
            fail(which + ": " +
                 (image.failure ? image.failure->message() : "its bytes were not read"));
            continue;
        }
        const std::span<const std::uint8_t> stored = image.data;
        int width = 0, height = 0, depth = 0;
        std::optional<std::vector<std::uint8_t>> encoded;
        if (looksLikePng(stored)) {
            // A PNG image is already what is asked for: it is kept as stored, named
            // after what its header says.
            auto header = readPngHeader(stored, kMaxDibDimension);
            if (!header) {
                fail(which + ": a damaged PNG image (its header cannot be read)");
                continue;
            }
            width = header->width, height = header->height, depth = header->bitsPerPixel;
        } else {
            const Result<Icon> icon = decodeIconImage(stored);
            if (!icon) {
                fail(which + ": " + icon.failure().message());
                continue;
            }
            encoded = iconToPng(*icon);
            if (!encoded) {
                fail(which + ": cannot be encoded as PNG");
                continue;
            }
            width = icon->width, height = icon->height, depth = icon->bitCount;
        }
        const std::string size = std::to_string(width) + "x" + std::to_string(height);
        write(
            source, index,
            base + "-" + std::to_string(index) + "-" + size + "-" + std::to_string(depth) + ".png",
            encoded ? std::span<const std::uint8_t>(*encoded) : stored,
            ", \"width\": " + std::to_string(width) + ", \"height\": " + std::to_string(height) +
                ", \"depth\": " + std::to_string(depth));
    }
}

void Run::sizedPicture(IconSet& set, const std::string& source, const std::string& base,
                       int index) {
    const int size = size_.value_or(kPictureSize);
    const Result<Icon> icon = iconAtSize(set, index, size);
    const std::string prefix = base + "-" + std::to_string(index);
    if (!icon) {
        fail(iconOf(source, index) + ": " + icon.failure().message());
        return;
    }
    std::vector<std::uint8_t> bytes;
    std::string name, details;
    if (format_ == Format::Png) {
        auto encoded = iconToPng(*icon);
        if (encoded) bytes = std::move(*encoded);
        name = prefix + "-" + std::to_string(size) + "x" + std::to_string(size) + "-" +
               std::to_string(icon->bitCount) + ".png";
        details = ", \"width\": " + std::to_string(size) + ", \"height\": " + std::to_string(size) +
                  ", \"depth\": " + std::to_string(icon->bitCount);
    } else {
        RgbImage canvas = whiteImage(size, size);
        drawIcon(canvas, *icon);
        bytes = format_ == Format::Bmp ? encodeBmp24(canvas) : encodeJpeg(canvas);
        name = prefix + "." + extensionOf(format_);
    }
    if (bytes.empty()) {
        fail(iconOf(source, index) + ": the picture cannot be encoded");
        return;
    }
    write(source, index, name, bytes, details);
}

void Run::file(const Source& source, std::size_t number, std::size_t total) {
    if (progress_) {
        err_ << "\r\033[K[" << number << "/" << total << "] " << source.path << std::flush;
        progressShown_ = true;
    }
    auto set = IconSet::open(source.path);
    if (!set) {
        if (set.failure().fault == Fault::NotIconContainer) {
            if (source.named) note(source.path + ": no icons (" + set.failure().message() + ")");
            return;
        }
        fail("cannot read " + source.path + ": " + reasonOf(set.failure()));
        return;
    }
    const int count = set->iconCount();
    written_ = 0;
    capped_ = false;
    budget_ = std::max(kMinOutputCap, kOutputCapFactor * set->fileSize());
    if (count == 0 && source.named) note(source.path + ": no icons");
    std::string base = fs::path(source.path).filename().string();
    if (base.empty()) base = "icon";
    // Every stored byte the run needs is read once, in as few reads as may be.
    const bool asStored = format_ == Format::Ico || (format_ == Format::Png && !size_);
    if (asStored) set->loadAll();
    for (int i = 0; i < count && !capped_; ++i) {
        const IconGroup& group = set->icons()[std::size_t(i)];
        // As for list: a file that names the same image in every entry of 65,535
        // groups cannot make the run write without end.
        if (group.failure && group.failure->fault == Fault::CapReached) {
            fail(source.path + ": extraction stops after " + std::to_string(kMaxListedImages) +
                 " images, before icon " + std::to_string(i) + " of " + std::to_string(count));
            break;
        }
        if (format_ == Format::Ico)
            icoGroup(group, source.path, base);
        else if (format_ == Format::Png && !size_)
            pngImages(group, source.path, base);
        else
            sizedPicture(*set, source.path, base, i);
    }
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

int extract(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ParsedArgs parsed;
    if (auto done = readCommandLine(args,
                                    {{"out", 'o', true},
                                     {"format", 'f', true},
                                     {"size", 's', true},
                                     {"recursive", 'r', false},
                                     {"json", 'j', false}},
                                    kExtractCommand, out, err, parsed))
        return *done;
    const std::string formatName = parsed.last("format").value_or("ico");
    Format format;
    if (formatName == "ico")
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
            return usageError(kExtractCommand,
                              "--size does not apply to --format ico: its images stay as stored",
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

    std::error_code ec;
    fs::create_directories(*dir, ec);
    if (ec || !isFolder(*dir)) {
        err << "pellimar-cli extract: cannot make the folder " << *dir << ": "
            << (ec ? ec.message() : systemReason(ENOTDIR)) << "\n";
        return 1;
    }

    const FileKinds kinds{true, true, true, true};
    std::vector<Source> sources;
    for (const std::string& operand : parsed.operands) {
        if (!isFolder(operand)) {
            sources.push_back({operand, true});
            continue;
        }
        for (const fs::path& p : gatherScanFiles(operand, kinds, parsed.has("recursive")))
            sources.push_back({p.string(), false});  // regular files only
    }

    // Temporaries of runs killed before, where the file system has no unnamed files.
    removeStaleTemporaries(*dir);
    const bool progress = &err == &std::cerr && ::isatty(STDERR_FILENO) == 1;
    Run run(*dir, format, size, parsed.has("json"), progress, out, err);
    for (std::size_t i = 0; i < sources.size(); ++i) run.file(sources[i], i + 1, sources.size());
    run.finish();
    out.flush();
    return run.failed() ? 1 : 0;
}

}  // namespace pellimar::cli
