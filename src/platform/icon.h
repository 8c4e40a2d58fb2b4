// The icon object: what one icon image looks like once it is decoded, whatever
// format it was stored in. Plain data, shared by reading, drawing and writing.
#pragma once

#include <cstdint>
#include <vector>

namespace pellimar {

// Pixels are stored top row first. A colour pixel is 0xAARRGGBB (in memory on a
// little-endian machine: B, G, R, A, as a 32-bit DIB row holds it).
//
// Drawing follows the desktop's rule:
//  - hasAlpha: the colour is blended over the background by its alpha; the mask
//    is kept only so that writers can store it.
//  - otherwise: background = (background AND mask) XOR colour, per pixel, where a
//    mask bit of 1 keeps the background. So mask 0 paints the colour; mask 1 with
//    colour black is transparent and mask 1 with a non-black colour inverts.
struct Icon {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> color;  // width * height pixels
    std::vector<std::uint8_t> mask;    // width * height entries, 0 or 1 (the AND mask)
    bool hasAlpha = false;             // the alpha byte of `color` is meaningful
    int bitCount = 32;                 // colour depth of the image it was decoded from

    bool empty() const { return width <= 0 || height <= 0 || color.empty(); }
    std::uint32_t pixel(int x, int y) const { return color[std::size_t(y) * width + x]; }
    bool maskBit(int x, int y) const { return mask[std::size_t(y) * width + x] != 0; }
};

}  // namespace pellimar
