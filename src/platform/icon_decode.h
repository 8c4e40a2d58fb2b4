// Turning stored icon images into Icon objects, choosing the image of an icon that
// suits a size, and resampling icons.
#pragma once

#include <cstdint>
#include <span>

#include "platform/ico_file.h"
#include "platform/icon.h"

namespace pellimar {

// Caps on what a stored image may claim.
inline constexpr int kMaxDibDimension = 1024;

// One stored icon image (a BITMAPINFOHEADER DIB with its colour rows and AND mask,
// or a PNG) decoded at its own size. An empty Icon when the data is damaged, of a
// kind we do not read, or beyond the caps.
Icon decodeIconImage(std::span<const std::uint8_t> imageData);

// Image `entryIndex` (0-based) of an .ico file's bytes, at its own size. Empty when
// there is no such entry or its data is damaged.
Icon decodeIcoImage(std::span<const std::uint8_t> icoBytes, int entryIndex);

// The entry that suits `size` best: the smallest sum of width and height differences
// (a stored 0 meaning 256), then the bit count nearest to 32; the first entry wins
// ties. -1 when there are no entries.
int pickImageForSize(std::span<const IconDirEntry> entries, int size);

enum class ResizeFilter {
    Area,     // each target pixel averages the source area it covers (good quality)
    Nearest,  // each target pixel takes one source pixel (a plain stretch that drops pixels)
};

// `icon` brought to width x height, colour and mask alike. A copy when it already has
// that size; empty when the icon is empty or the size is not positive.
Icon resizeIcon(const Icon& icon, int width, int height, ResizeFilter filter = ResizeFilter::Area);

}  // namespace pellimar
