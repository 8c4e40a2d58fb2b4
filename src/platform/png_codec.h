// PNG reading and writing through libpng, kept behind plain functions so that
// libpng's longjmp error handling never crosses C++ frames with destructors.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pellimar {

inline constexpr int kMaxPngDimension = 4096;

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes, top row first, R G B A
};

bool looksLikePng(std::span<const std::uint8_t> bytes);

// Decodes any PNG (palette, grey, 16-bit, with or without transparency) to 8-bit RGBA.
// Nothing when it is damaged or larger than `maxDimension` (at most kMaxPngDimension)
// in either direction.
std::optional<RgbaImage> decodePng(std::span<const std::uint8_t> bytes,
                                   int maxDimension = kMaxPngDimension);

// Encodes 8-bit RGBA as a PNG; nothing when libpng fails.
std::optional<std::vector<std::uint8_t>> encodePng(const RgbaImage& image);

}  // namespace pellimar
