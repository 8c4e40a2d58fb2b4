// Turning stored icon images into Icon objects, and resampling icons.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/caps.h"
#include "platform/failure.h"
#include "platform/icon.h"

namespace pellimar {

// One stored icon image (a BITMAPINFOHEADER DIB with its colour rows and AND mask,
// or a PNG) decoded at its own size; why not when the data is damaged, of a kind
// that is not read, or beyond the caps (kMaxImageBytes, kMaxDibDimension a side).
Result<Icon> decodeIconImage(std::span<const std::uint8_t> imageData);

// Why a stored image is past a cap by what it states, before it is decoded: more
// than kMaxImageBytes, or a PNG of more than kMaxDibDimension pixels a side.
// Nothing when it is not (it may still be damaged, or a DIB past the side cap,
// which decoding tells).
std::optional<Failure> pastImageCaps(std::span<const std::uint8_t> imageData);

// The depth a stored image's own header states: a DIB's bit count, a PNG's bits
// per pixel (bit depth times samples); nothing when the header cannot tell.
std::optional<int> storedImageDepth(std::span<const std::uint8_t> imageStart);

// The bytes a stored DIB takes, from its header (its first 36 bytes or more):
// the header, the colour table or masks, the colour rows and the mask rows, as
// the decoder reads them. Nothing for a PNG, or a header of a kind or size that
// does not tell.
std::optional<std::uint64_t> storedDibSize(std::span<const std::uint8_t> imageStart);

enum class ResizeFilter {
    Area,     // each target pixel averages the source area it covers (good quality)
    Nearest,  // each target pixel takes one source pixel (a plain stretch that drops pixels)
};

// `icon` brought to width x height, colour and mask alike. A copy when it already has
// that size; empty when the icon is empty or the size is not positive.
Icon resizeIcon(const Icon& icon, int width, int height, ResizeFilter filter = ResizeFilter::Area);

}  // namespace pellimar
