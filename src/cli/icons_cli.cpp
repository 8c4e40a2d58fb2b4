#include "cli/icons_cli.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>

#include "platform/bmp_file.h"
#include "platform/extract.h"
#include "platform/icon_resources.h"
#include "platform/raster.h"

namespace pellimar::cli {

namespace {

std::optional<int> parseInt(const std::string& text, int low, int high) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

constexpr int kMaxDrawSize = 1024;

}  // namespace

int list(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kListUsage << "\n";
        return 2;
    }
    int status = 0;
    for (const std::string& name : args) {
        auto file = IconFile::open(name);
        if (!file) {
            err << "pellimar-cli: cannot read " << name << "\n";
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
    return status;
}

int draw(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    (void)out;
    std::optional<int> index, size;
    if (args.size() == 4) {
        index = parseInt(args[1], 0, 0x7FFFFFFF);
        size = parseInt(args[2], 1, kMaxDrawSize);
    }
    if (!index || !size || args[3].empty()) {
        err << kDrawUsage << "\n";
        return 2;
    }
    Icon icon = extractIcon(args[0], *index, *size);
    if (icon.empty()) {
        err << "pellimar-cli: " << args[0] << " has no icon " << *index << "\n";
        return 1;
    }
    RgbImage canvas = whiteImage(*size, *size);
    drawIcon(canvas, icon);
    errno = 0;
    if (!writeBmpFile(args[3], canvas)) {
        const int reason = errno;
        err << "pellimar-cli: cannot write " << args[3];
        if (reason != 0) err << ": " << std::strerror(reason);
        err << "\n";
        return 1;
    }
    return 0;
}

}  // namespace pellimar::cli
