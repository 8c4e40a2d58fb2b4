// Reducing a 24-bit picture to a palette picture of 16 or 256 colours, as the
// icon writer stores colour images.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/raster.h"

namespace pellimar {

// Palette entries and pixels are 0x00RRGGBB; `indices` is width * height entries,
// top row first.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> palette;
    std::vector<std::uint8_t> indices;
};

// The sixteen standard colours in the order of the system's 16-colour table:
// black, maroon, green, olive, navy, purple, teal, silver, grey, red, lime,
// yellow, blue, fuchsia, aqua, white.
const std::array<std::uint32_t, 16>& standardColors();
bool isStandardColor(std::uint32_t rgb);

// Every pixel mapped to the nearest entry of `palette` (at most 256 entries).
IndexedImage mapToPalette(const RgbImage& image, std::vector<std::uint32_t> palette);

// Every pixel mapped to the nearest standard colour (exact for standard pixels).
IndexedImage toStandardColors(const RgbImage& image);

// A palette made for this picture: its own colours when it has at most
// `maxColors` of them, otherwise a median cut refined by a few rounds of k-means.
// Pure black, when present, is always kept exactly (transparent pixels of an icon
// are black and must stay so).
IndexedImage toAdaptivePalette(const RgbImage& image, int maxColors = 256);

}  // namespace pellimar
