#include "cli/icons_cli.h"

#include <charconv>
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
        out << name << ": " << res.iconCount() << "\n";
        for (int i = 0; i < res.iconCount(); ++i) {
            out << i;
            for (const IconDirEntry& e : res.images(i))
                out << " " << e.pixelWidth() << "x" << e.pixelHeight() << "@" << e.statedBitCount();
            out << "\n";
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
    if (!writeBmpFile(args[3], canvas)) {
        err << "pellimar-cli: cannot write " << args[3] << "\n";
        return 1;
    }
    return 0;
}

}  // namespace pellimar::cli
