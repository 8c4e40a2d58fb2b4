#include "platform/raster.h"

namespace pellimar {

RgbImage whiteImage(int width, int height) {
    RgbImage img;
    if (width <= 0 || height <= 0) return img;
    img.width = width;
    img.height = height;
    img.pixels.assign(std::size_t(width) * std::size_t(height), 0xFFFFFF);
    return img;
}

namespace {

std::uint32_t blend(std::uint32_t under, std::uint32_t over) {
    std::uint32_t a = over >> 24;
    if (a == 255) return over & 0xFFFFFF;
    if (a == 0) return under & 0xFFFFFF;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        std::uint32_t u = (under >> shift) & 0xFF;
        std::uint32_t o = (over >> shift) & 0xFF;
        // Rounded (o * a + u * (255 - a)) / 255.
        std::uint32_t v = o * a + u * (255 - a) + 127;
        out |= ((v + (v >> 8)) >> 8 & 0xFF) << shift;
    }
    return out;
}

}  // namespace

void drawIcon(RgbImage& target, const Icon& icon, int x, int y) {
    if (target.empty() || icon.empty()) return;
    const std::size_t count = std::size_t(icon.width) * std::size_t(icon.height);
    if (icon.color.size() < count) return;
    const bool haveMask = icon.mask.size() >= count;
    for (int row = 0; row < icon.height; ++row) {
        int ty = y + row;
        if (ty < 0 || ty >= target.height) continue;
        for (int col = 0; col < icon.width; ++col) {
            int tx = x + col;
            if (tx < 0 || tx >= target.width) continue;
            std::uint32_t& dst = target.pixels[std::size_t(ty) * target.width + tx];
            std::uint32_t src = icon.pixel(col, row);
            if (icon.hasAlpha) {
                dst = blend(dst, src);
            } else {
                std::uint32_t andMask = (haveMask && icon.maskBit(col, row)) ? 0xFFFFFF : 0;
                dst = ((dst & andMask) ^ src) & 0xFFFFFF;
            }
        }
    }
}

RgbImage stretchNearest(const RgbImage& source, int width, int height) {
    RgbImage out;
    if (source.empty() || width <= 0 || height <= 0) return out;
    out.width = width;
    out.height = height;
    out.pixels.resize(std::size_t(width) * std::size_t(height));
    for (int y = 0; y < height; ++y) {
        int sy = int(std::int64_t(y) * source.height / height);
        for (int x = 0; x < width; ++x) {
            int sx = int(std::int64_t(x) * source.width / width);
            out.pixels[std::size_t(y) * width + x] = source.at(sx, sy);
        }
    }
    return out;
}

}  // namespace pellimar
