// Windows bitmap files: 24 bits per pixel, uncompressed, rows bottom-up.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/raster.h"

namespace pellimar {

// The whole file: 14-byte file header, 40-byte BITMAPINFOHEADER, pixel rows
// (blue, green, red) padded to four bytes. Empty for an empty picture.
std::vector<std::uint8_t> encodeBmp24(const RgbImage& image);

// Writes the picture as a BMP file through a temporary file renamed over `file`.
bool writeBmpFile(const std::filesystem::path& file, const RgbImage& image);

}  // namespace pellimar
