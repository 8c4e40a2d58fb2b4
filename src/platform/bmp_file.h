// Windows bitmap files: 24 bits per pixel, uncompressed, rows bottom-up. The bytes
// only; output_files.h makes files of them.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/failure.h"
#include "platform/raster.h"

namespace pellimar {

// The whole file: 14-byte file header, 40-byte BITMAPINFOHEADER, pixel rows
// (blue, green, red) padded to four bytes. Why not for an empty picture.
Result<std::vector<std::uint8_t>> encodeBmp24(const RgbImage& image);

}  // namespace pellimar
