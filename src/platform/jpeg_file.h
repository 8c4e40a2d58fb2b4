// JPEG files through libjpeg(-turbo): baseline, full colour, quality 90 for what
// the program writes (output_files.h makes files of the bytes); any 8-bit JPEG the
// library can decode for reading.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "platform/failure.h"
#include "platform/raster.h"

namespace pellimar {

// A JFIF file of the picture; why not for an empty picture, one with a side over
// 8192 pixels, or what libjpeg says.
Result<std::vector<std::uint8_t>> encodeJpeg(const RgbImage& image, int quality = 90);
// The decoded picture; empty for anything that is not a readable JPEG or whose
// sides exceed 8192 pixels.
RgbImage decodeJpeg(std::span<const std::uint8_t> bytes);

// Reads a JPEG file (at most 64 MB); empty on any failure.
RgbImage readJpegFile(const std::filesystem::path& file);

}  // namespace pellimar
