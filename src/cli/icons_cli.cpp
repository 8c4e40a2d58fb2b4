#include "cli/icons_cli.h"

#include <cerrno>
#include <charconv>
#include <memory>
#include <optional>

#include "cli/json_text.h"
#include "platform/bmp_file.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "platform/raster.h"

namespace pellimar::cli {

namespace {

constexpr int kMaxDrawSize = 1024;

// The note a listing gives where the images of one file pass what is read.
void noteListingCap(const std::string& name, const IconSet& set, int index, std::ostream& err) {
    err << "pellimar-cli: note: " << name << ": the listing stops after " << kMaxListedImages
        << " images, before icon " << index << " of " << set.iconCount() << "\n";
}

void appendNumber(std::string& text, std::uint64_t value) {
    char digits[24];
    const auto done = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, done.ptr);
}

bool stoppedByCap(const IconGroup& group) {
    return group.failure && group.failure->fault == Fault::CapReached;
}

void listAsText(const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
                int& status) {
    for (const std::string& name : files) {
        auto set = IconSet::open(name);
        if (!set) {
            if (set.failure().fault == Fault::NotIconContainer) {
                out << quotedName(name) << ": 0\n";
                continue;
            }
            err << "pellimar-cli: cannot read " << name << ": " << reasonOf(set.failure()) << "\n";
            out << quotedName(name) << ": 0\n";
            status = 1;
            continue;
        }
        const int count = set->iconCount();
        out << quotedName(name) << ": " << count << "\n";
        bool capNoted = false;
        for (int i = 0; i < count; ++i) {
            const IconGroup& group = set->icons()[std::size_t(i)];
            if (stoppedByCap(group)) {
                noteListingCap(name, *set, i, err);
                break;
            }
            out << i;
            for (const StoredImage& image : group.images)
                out << " " << image.width() << "x" << image.height() << "@" << image.depth;
            out << "\n";
            if (!capNoted && group.statedCount > kMaxImagesPerIcon) {
                err << "pellimar-cli: note: " << name << ": icon " << i << " states "
                    << group.statedCount << " images; only the first " << kMaxImagesPerIcon
                    << " are read\n";
                capNoted = true;
            }
        }
    }
}

void listAsJson(const std::vector<std::string>& files, std::ostream& out, std::ostream& err,
                int& status) {
    out << "{\"files\": [";
    const char* fileSep = "\n  ";
    for (const std::string& name : files) {
        out << fileSep << "{" << jsonNameMembers("file", name);
        fileSep = ",\n  ";
        auto set = IconSet::open(name);
        if (!set && set.failure().fault != Fault::NotIconContainer) {
            const std::string reason = reasonOf(set.failure());
            err << "pellimar-cli: cannot read " << name << ": " << reason << "\n";
            out << ", \"readable\": false, \"error\": " << jsonString(reason) << ", \"icons\": []}";
            status = 1;
            continue;
        }
        out << ", \"readable\": true, \"icons\": [";
        const int count = set ? set->iconCount() : 0;
        int i = 0;
        for (; i < count; ++i) {
            const IconGroup& group = set->icons()[std::size_t(i)];
            // The same bound as the text listing: a file cannot make the output endless.
            if (stoppedByCap(group)) {
                noteListingCap(name, *set, i, err);
                break;
            }
            // Built as text first: a stream insertion per field would cost more than
            // the reading itself.
            std::string text = i ? ",\n    {\"index\": " : "\n    {\"index\": ";
            appendNumber(text, std::uint64_t(i));
            text += ", \"images\": [";
            // Eight bytes of each image tell a PNG: the images themselves are not read.
            const std::vector<std::optional<bool>> pngs = set->pngImages(ResourceKind::Icon, i);
            for (std::size_t j = 0; j < group.images.size(); ++j) {
                const StoredImage& image = group.images[j];
                text += j ? ", {\"width\": " : "{\"width\": ";
                appendNumber(text, std::uint64_t(image.width()));
                text += ", \"height\": ";
                appendNumber(text, std::uint64_t(image.height()));
                text += ", \"depth\": ";
                appendNumber(text, std::uint64_t(image.depth));
                if (const std::optional<bool>& png = pngs[j]) {
                    text += *png ? ", \"png\": true, \"bytes\": " : ", \"png\": false, \"bytes\": ";
                    appendNumber(text, image.length);
                    text += "}";
                } else {
                    text += ", \"png\": null, \"bytes\": null}";
                }
            }
            out << text;
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

    auto set = IconSet::open(ops[0]);
    if (!set) {
        err << "pellimar-cli: cannot read " << ops[0] << ": " << reasonOf(set.failure()) << "\n";
        return 1;
    }
    if (*index >= set->iconCount()) {
        err << "pellimar-cli: " << ops[0] << " has no icon " << *index << "\n";
        return 1;
    }
    const Result<Icon> icon = iconAtSize(*set, *index, *size);
    if (!icon) {
        err << "pellimar-cli: " << ops[0] << ": icon " << *index << ": " << icon.failure().message()
            << "\n";
        return 1;
    }
    RgbImage canvas = whiteImage(*size, *size);
    drawIcon(canvas, *icon);
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
