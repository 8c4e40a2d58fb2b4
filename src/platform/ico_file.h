// The icon (.ico) file layout: a 6-byte header (reserved 0, type 1 for icons or 2
// for cursors, count) and 16-byte directory entries, each naming the size and
// offset of one image. Icon groups in programs share the entries' first twelve bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellimar {

// One image of an icon, as a directory entry (of an .ico file or of an icon group
// in an executable) describes it. Width and height are kept as stored: 0 means 256.
struct IconDirEntry {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint8_t colorCount = 0;
    std::uint8_t reserved = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t bytesInRes = 0;
    std::uint32_t imageOffset = 0;  // .ico files: file offset of the image data
    std::uint16_t resourceId = 0;   // icon groups: the RT_ICON id of the image

    int pixelWidth() const { return width == 0 ? 256 : width; }
    int pixelHeight() const { return height == 0 ? 256 : height; }
    // The bit count the entry states; entries that leave it 0 but give a colour count
    // are taken at the depth that colour count needs.
    int statedBitCount() const;
};

inline constexpr std::size_t kIcoHeaderSize = 6;
inline constexpr std::size_t kIcoEntrySize = 16;

// The first twelve bytes, which .ico directory entries and icon group entries share
// (size, colours, planes, bit count, bytes); the caller has checked that they exist.
IconDirEntry parseCommonEntryFields(const std::uint8_t* p);

}  // namespace pellimar
