// JPEG files through libjpeg(-turbo): baseline, full colour, quality 90 for what
// the program writes (output_files.h makes files of the bytes); any 8-bit JPEG the
// library can decode for reading.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "platform/caps.h"
#include "platform/failure.h"
#include "platform/raster.h"

namespace pellimar {

// A JFIF file of the picture; why not for an empty picture, one with a side over
// 8192 pixels, or what libjpeg says.
Result<std::vector<std::uint8_t>> encodeJpeg(const RgbImage& image, int quality = 90);
// The decoded picture; empty for anything that is not a readable JPEG, whose
// sides exceed 8192 pixels, or that states more pixels than its bytes can hold
// (kMaxJpegPixelsPerByte).
RgbImage decodeJpeg(std::span<const std::uint8_t> bytes);

// The width and height a JPEG's frame header states, read without decoding;
// nothing when the bytes do not reach one.
std::optional<std::pair<int, int>> jpegSize(std::span<const std::uint8_t> bytes);

// Reads a JPEG file (at most 64 MB); empty on any failure, and for a picture
// whose header states more than `maxSide` pixels a side (it is then not decoded).
RgbImage readJpegFile(const std::filesystem::path& file, int maxSide = kMaxJpegSide);

}  // namespace pellimar
