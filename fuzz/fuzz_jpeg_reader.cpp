// libFuzzer target for the JPEG reader, with which the tests read back the JPEG
// files the program writes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/jpeg_file.h"

using namespace pellimar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const RgbImage image = decodeJpeg(std::span<const std::uint8_t>(data, size));
    if (!image.empty()) {
        // Every pixel of what was decoded must be there to read.
        if (image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
            __builtin_trap();
        volatile std::uint32_t sum = 0;
        for (std::uint32_t pixel : image.pixels) sum = sum + pixel;
    }
    return 0;
}
