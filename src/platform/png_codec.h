// PNG reading and writing through libpng, kept behind plain functions so that
// libpng's longjmp error handling never crosses C++ frames with destructors.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/caps.h"
#include "platform/failure.h"

namespace pellimar {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes, top row first, R G B A
};

bool looksLikePng(std::span<const std::uint8_t> bytes);

// Decodes any PNG (palette, grey, 16-bit, with or without transparency) to 8-bit RGBA.
// Nothing when it is damaged or larger than `maxDimension` (at most kMaxPngDimension)
// in either direction; then `why`, when given, says what libpng found wrong.
std::optional<RgbaImage> decodePng(std::span<const std::uint8_t> bytes,
                                   int maxDimension = kMaxPngDimension, std::string* why = nullptr);

// What a PNG's IHDR chunk says: its size and its bits per pixel (bit depth times
// samples per pixel). Nothing when the bytes do not start with a PNG signature and
// an IHDR chunk of sizes from 1 to `maxDimension` and a known colour type. Only
// the first 33 bytes are read: the image data is not checked.
struct PngHeader {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};
std::optional<PngHeader> readPngHeader(std::span<const std::uint8_t> bytes,
                                       int maxDimension = kMaxPngDimension);

// The width and height a PNG's IHDR chunk states, whatever they are; nothing when
// the bytes do not start with a PNG signature and an IHDR chunk.
struct PngSize {
    std::uint32_t width = 0, height = 0;
};
std::optional<PngSize> pngStatedSize(std::span<const std::uint8_t> bytes);

// Encodes 8-bit RGBA as a PNG (fast compression: icons are small); why not for an
// empty picture, or what libpng says.
Result<std::vector<std::uint8_t>> encodePng(const RgbaImage& image);

}  // namespace pellimar
