// Windows bitmap files: 24 bits per pixel, uncompressed, rows bottom-up.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/failure.h"
#include "platform/raster.h"

namespace pellimar {

// The whole file: 14-byte file header, 40-byte BITMAPINFOHEADER, pixel rows
// (blue, green, red) padded to four bytes. Why not for an empty picture.
Result<std::vector<std::uint8_t>> encodeBmp24(const RgbImage& image);

// Writes the picture as a BMP file by the one writer.
Result<Placed> writeBmpFile(const std::filesystem::path& file, const RgbImage& image,
                            const WriteOptions& options = {});

}  // namespace pellimar
