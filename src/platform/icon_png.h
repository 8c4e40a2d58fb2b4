// Icons as PNG pictures with transparency: what leaves the program when an icon
// is dragged out, copied, or drawn as a file manager's thumbnail.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/icon.h"
#include "platform/png_codec.h"

namespace pellimar {

// The largest side a picture handed out is given.
inline constexpr int kMaxPictureSize = 256;

// The icon as 8-bit RGBA: icons with alpha keep it; the others are opaque where the
// mask is 0 and transparent where it is 1 (a pixel that would invert the background
// cannot be shown without one and is left out). Empty when the icon is empty.
RgbaImage iconToRgba(const Icon& icon);

// The icon as a PNG file's bytes; why not when it is empty or libpng fails.
Result<std::vector<std::uint8_t>> iconToPng(const Icon& icon);

// `icon` with no side above `maxSize`: a larger picture is brought down to it,
// its shape kept.
Icon withinPictureSize(Icon icon, int maxSize = kMaxPictureSize);

// `icon` as a picture for a file manager: no side above `maxSize`, and never made
// larger, since a picture enlarged pixel by pixel looks worse than the one the
// viewer scales itself. A larger picture is shrunk smoothly: each pixel averages
// the area it covers, colours weighted by their alpha. An icon without alpha gets
// alpha from its mask first, so that its edges are smoothed as well.
Icon pictureWithin(Icon icon, int maxSize);

}  // namespace pellimar
