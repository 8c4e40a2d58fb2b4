// An icon group as its author stored it: every image's directory entry with the
// bytes stored for it, and the icon file that holds them all unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/ico_file.h"
#include "platform/icon.h"
#include "platform/icon_png.h"
#include "platform/icon_resources.h"

namespace pellimar {

struct StoredImage {
    IconDirEntry entry;              // as the group (or the icon file) states it
    std::vector<std::uint8_t> data;  // the stored bytes, unchanged
    bool readable = false;           // false when the entry's data cannot be found
};

// The most stored bytes one group's images are read to: a group may name the same
// 64 MB image 256 times.
inline constexpr std::uint64_t kMaxStoredGroupBytes = 256u << 20;

// The images of icon `index` of `resources`, in the group's order; empty when
// there is no such icon. An image whose data cannot be found, or would bring the
// group past `budget` bytes, is not readable (and not read).
std::vector<StoredImage> storedImages(const IconResources& resources, int index,
                                      std::uint64_t budget = kMaxStoredGroupBytes);

// An icon file holding the readable images in the order given: the 6-byte header,
// one 16-byte entry per image (the stored fields, with the size of the data
// actually held and its offset), then the data of each image as stored. Empty
// when no image is readable or there are more than 65535.
std::vector<std::uint8_t> encodeIcoFile(std::span<const StoredImage> images);

// The same from entries and views of their data, held elsewhere (all readable).
struct StoredImageView {
    IconDirEntry entry;
    std::span<const std::uint8_t> data;
};
std::vector<std::uint8_t> encodeIcoFile(std::span<const StoredImageView> images);

}  // namespace pellimar
