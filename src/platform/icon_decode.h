// Turning stored icon images into Icon objects, and resampling icons.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/failure.h"
#include "platform/icon.h"

namespace pellimar {

// Caps on what a stored image may claim.
inline constexpr int kMaxDibDimension = 1024;

// One stored icon image (a BITMAPINFOHEADER DIB with its colour rows and AND mask,
// or a PNG) decoded at its own size; why not when the data is damaged, of a kind
// that is not read, or beyond the caps.
Result<Icon> decodeIconImage(std::span<const std::uint8_t> imageData);

// The depth a stored image's own header states: a DIB's bit count, a PNG's bits
// per pixel (bit depth times samples); nothing when the header cannot tell.
std::optional<int> storedImageDepth(std::span<const std::uint8_t> imageStart);

enum class ResizeFilter {
    Area,     // each target pixel averages the source area it covers (good quality)
    Nearest,  // each target pixel takes one source pixel (a plain stretch that drops pixels)
};

// `icon` brought to width x height, colour and mask alike. A copy when it already has
// that size; empty when the icon is empty or the size is not positive.
Icon resizeIcon(const Icon& icon, int width, int height, ResizeFilter filter = ResizeFilter::Area);

}  // namespace pellimar
