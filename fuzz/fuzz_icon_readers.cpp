// libFuzzer target over everything that reads untrusted icon-bearing bytes: the
// PE/NE/icon-file index, group directories, image decoding (DIB and PNG), resampling
// and the one-image cut of icon files.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/ico_file.h"
#include "platform/icon_decode.h"
#include "platform/icon_resources.h"
#include "platform/raster.h"

using namespace pellimar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);

    IconResources resources(bytes);
    const int count = resources.iconCount();
    for (int i = 0; i < count && i < 8; ++i) {
        auto images = resources.images(i);
        for (std::size_t e = 0; e < images.size() && e < 8; ++e)
            if (auto image = resources.imageData(images[e])) (void)decodeIconImage(*image);
        Icon large = resources.icon(i, 32);
        Icon small = resources.icon(i, 16);
        RgbImage canvas = whiteImage(32, 32);
        drawIcon(canvas, large);
        (void)resizeIcon(small, 48, 48, ResizeFilter::Nearest);
    }

    Icon direct = decodeIconImage(bytes);
    if (!direct.empty() && direct.width <= 256 && direct.height <= 256) {
        (void)resizeIcon(direct, 16, 16);
        (void)resizeIcon(direct, 128, 64);
    }

    if (auto directory = readIcoDirectory(bytes)) {
        for (std::size_t e = 0; e < directory->size() && e < 8; ++e)
            (void)decodeIcoImage(bytes, int(e));
        (void)cutIcoImage(bytes, 2);
    }
    return 0;
}
