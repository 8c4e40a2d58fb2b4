#include "cli/icons_cli.h"

#include <cerrno>
#include <memory>
#include <optional>

#include "cli/json_text.h"
#include "platform/bmp_file.h"
#include "platform/extract.h"
#include "platform/icon_resources.h"
#include "platform/png_codec.h"
#include "platform/raster.h"

namespace pellimar::cli {

namespace {

constexpr int kMaxDrawSize = 1024;

std::unique_ptr<IconFile> openForList(const std::string& name, std::string& reason) {
    errno = 0;
    auto file = IconFile::open(name);
    if (!file) reason = errno != 0 ? systemReason(errno) : "not a regular file";
    return file;
}

void listAsText(const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
                int& status) {
    for (const std::string& name : files) {
        std::string reason;
        auto file = openForList(name, reason);
        if (!file) {
            err << "pellimar-cli: cannot read " << name << ": " << reason << "\n";
            out << name << ": 0\n";
            status = 1;
            continue;
        }
        const IconResources& res = file->resources();
        const int count = res.iconCount();
        out << name << ": " << count << "\n";
        bool capNoted = false;
        std::size_t listed = 0;
        for (int i = 0; i < count; ++i) {
            if (listed >= kMaxListedImages) {
                err << "pellimar-cli: note: " << name << ": the listing stops after "
                    << kMaxListedImages << " images, before icon " << i << " of " << count << "\n";
                break;
            }
            const std::vector<IconDirEntry> images = res.images(i);
            out << i;
            for (const IconDirEntry& e : images)
                out << " " << e.pixelWidth() << "x" << e.pixelHeight() << "@" << e.statedBitCount();
            out << "\n";
            listed += images.size();
            if (!capNoted && images.size() == std::size_t(kMaxImagesPerIcon)) {
                const int stated = res.statedImageCount(i);
                if (stated > kMaxImagesPerIcon) {
                    err << "pellimar-cli: note: " << name << ": icon " << i << " states " << stated
                        << " images; only the first " << kMaxImagesPerIcon << " are read\n";
                    capNoted = true;
                }
            }
        }
    }
}

void listAsJson(const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
                int& status) {
    out << "{\"files\": [";
    const char* fileSep = "\n  ";
    for (const std::string& name : files) {
        out << fileSep << "{\"file\": " << jsonString(name);
        fileSep = ",\n  ";
        std::string reason;
        auto file = openForList(name, reason);
        if (!file) {
            err << "pellimar-cli: cannot read " << name << ": " << reason << "\n";
            out << ", \"readable\": false, \"error\": " << jsonString(reason) << ", \"icons\": []}";
            status = 1;
            continue;
        }
        const IconResources& res = file->resources();
        const int count = res.iconCount();
        out << ", \"readable\": true, \"icons\": [";
        std::size_t listed = 0;
        int i = 0;
        for (; i < count; ++i) {
            // The same bound as the text listing: a file cannot make the output endless.
            if (listed >= kMaxListedImages) {
                err << "pellimar-cli: note: " << name << ": the listing stops after "
                    << kMaxListedImages << " images, before icon " << i << " of " << count << "\n";
                break;
            }
            const std::vector<IconDirEntry> images = res.images(i);
            listed += images.size();
            out << (i ? ",\n    " : "\n    ") << "{\"index\": " << i << ", \"images\": [";
            const char* imageSep = "";
            for (const IconDirEntry& e : images) {
                out << imageSep << "{\"width\": " << e.pixelWidth()
                    << ", \"height\": " << e.pixelHeight() << ", \"depth\": " << e.statedBitCount();
                imageSep = ", ";
                // Eight bytes tell a PNG: the image itself is not read.
                const auto extent = res.imageExtent(e);
                const auto start = extent ? res.imageStart(e, 8) : std::nullopt;
                if (extent && start) {
                    out << ", \"png\": " << (looksLikePng(*start) ? "true" : "false")
                        << ", \"bytes\": " << extent->length << "}";
                } else {
                    out << ", \"png\": null, \"bytes\": null}";
                }
            }
            out << "]}";
        }
        out << (i > 0 ? "\n  ]}" : "]}");
    }
    out << (files.empty() ? "]}\n" : "\n]}\n");
}

}  // namespace

int list(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ParsedArgs parsed;
    if (auto done = readCommandLine(args, {{"json", 'j', false}}, kListCommand, out, err, parsed))
        return *done;
    if (parsed.operands.empty()) return usageError(kListCommand, "no FILE given", err);
    int status = 0;
    if (parsed.has("json"))
        listAsJson(parsed.operands, out, err, status);
    else
        listAsText(parsed.operands, out, err, status);
    return status;
}

int draw(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ParsedArgs parsed;
    if (auto done = readCommandLine(args, {}, kDrawCommand, out, err, parsed)) return *done;
    const auto& ops = parsed.operands;
    if (ops.size() != 4)
        return usageError(kDrawCommand, "FILE, INDEX, SIZE and OUT.bmp are needed", err);
    const std::optional<int> index = parseNumber(ops[1], 0, 0x7FFFFFFF);
    if (!index) return usageError(kDrawCommand, "INDEX must be a number from 0", err);
    const std::optional<int> size = parseNumber(ops[2], 1, kMaxDrawSize);
    if (!size) return usageError(kDrawCommand, "SIZE must be a number from 1 to 1024", err);
    if (ops[3].empty()) return usageError(kDrawCommand, "OUT.bmp is empty", err);

    Icon icon = extractIcon(ops[0], *index, *size);
    if (icon.empty()) {
        err << "pellimar-cli: " << ops[0] << " has no icon " << *index << "\n";
        return 1;
    }
    RgbImage canvas = whiteImage(*size, *size);
    drawIcon(canvas, icon);
    if (ops[3] == "-") {
        const std::vector<std::uint8_t> bytes = encodeBmp24(canvas);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.flush();
        if (!out) {
            err << "pellimar-cli: cannot write to standard output\n";
            return 1;
        }
        return 0;
    }
    errno = 0;
    if (!writeBmpFile(ops[3], canvas)) {
        err << "pellimar-cli: cannot write " << ops[3] << ": "
            << (errno ? systemReason(errno) : "the picture could not be encoded") << "\n";
        return 1;
    }
    return 0;
}

}  // namespace pellimar::cli
