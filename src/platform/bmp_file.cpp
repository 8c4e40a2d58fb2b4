#include "platform/bmp_file.h"

namespace pellimar {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

Result<std::vector<std::uint8_t>> encodeBmp24(const RgbImage& image) {
    if (image.empty() || image.pixels.size() < std::size_t(image.width) * image.height)
        return failure(Fault::CannotEncode, "the picture is empty");
    std::vector<std::uint8_t> out;
    const std::uint32_t stride = (std::uint32_t(image.width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * std::uint32_t(image.height);
    out.reserve(54 + imageSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, 54 + imageSize);  // file size
    put32(out, 0);               // two reserved words
    put32(out, 54);              // offset of the pixels
    put32(out, 40);              // biSize
    put32(out, std::uint32_t(image.width));
    put32(out, std::uint32_t(image.height));  // positive: bottom-up
    put16(out, 1);                            // planes
    put16(out, 24);                           // bits per pixel
    put32(out, 0);                            // BI_RGB
    put32(out, imageSize);
    put32(out, 0);  // horizontal resolution
    put32(out, 0);  // vertical resolution
    put32(out, 0);  // colours used
    put32(out, 0);  // colours important
    for (int y = image.height - 1; y >= 0; --y) {
        std::size_t rowStart = out.size();
        for (int x = 0; x < image.width; ++x) {
            std::uint32_t p = image.at(x, y);
            out.push_back(std::uint8_t(p));
            out.push_back(std::uint8_t(p >> 8));
            out.push_back(std::uint8_t(p >> 16));
        }
        out.resize(rowStart + stride, 0);
    }
    return out;
}

}  // namespace pellimar
