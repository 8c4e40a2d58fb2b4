// Plain 24-bit pictures: what icons are drawn on before they are saved as BMP or
// JPEG files, and the two operations the save command needs on them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/icon.h"

namespace pellimar {

// Pixels top row first, each 0x00RRGGBB (the top byte is ignored).
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool empty() const { return width <= 0 || height <= 0; }
    std::uint32_t at(int x, int y) const { return pixels[std::size_t(y) * width + x] & 0xFFFFFF; }
};

// A width x height picture filled with white (empty when a side is not positive).
RgbImage whiteImage(int width, int height);

// Draws `icon` at its own size with its top-left corner at (x, y), clipped to the
// picture: icons with alpha are blended over what is there; the others are
// combined with it as (picture AND mask) XOR colour.
void drawIcon(RgbImage& target, const Icon& icon, int x = 0, int y = 0);

// Nearest-pixel resize without averaging: target pixel (x, y) takes source pixel
// (x * sw / tw, y * sh / th), so halving keeps every second row and column.
RgbImage stretchNearest(const RgbImage& source, int width, int height);

}  // namespace pellimar
