// The icon (.ico) file layout: a 6-byte header (reserved 0, type 1, count) and
// 16-byte directory entries, each naming the size and offset of one image.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

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

// The most images read of one icon group or icon-file directory: the entries past
// it are ignored (a header may state up to 65,535), while the stated count is kept.
inline constexpr int kMaxImagesPerIcon = 256;

inline constexpr std::size_t kIcoHeaderSize = 6;
inline constexpr std::size_t kIcoEntrySize = 16;

// The first twelve bytes, which .ico directory entries and icon group entries share
// (size, colours, planes, bit count, bytes); the caller has checked that they exist.
IconDirEntry parseCommonEntryFields(const std::uint8_t* p);

// True when the bytes start with an icon header (reserved 0, type 1).
bool hasIcoHeader(std::span<const std::uint8_t> bytes);

// The directory of an .ico file's bytes, at most kMaxImagesPerIcon entries: nothing
// when the header is not an icon header or those entries are cut off. Entries are
// not checked against the file size.
std::optional<std::vector<IconDirEntry>> readIcoDirectory(std::span<const std::uint8_t> bytes);

// The image data of entry `e` of an .ico file's bytes; nothing when it lies outside them.
std::optional<std::span<const std::uint8_t>> icoImageData(std::span<const std::uint8_t> bytes,
                                                          const IconDirEntry& entry);

// Image number `imageNumber` (counted from 1; below 1 or above the count means 1)
// of an icon file, cut out as a one-image icon file: header 0,1,1, the entry copied
// with image offset 22, then the image data unchanged. Only the header, the entry and
// the image data are read. Nothing when the file cannot be read, its header is not an
// icon header, or the entry or the data lie beyond the end of the file.
std::optional<std::vector<std::uint8_t>> cutIcoImage(const std::filesystem::path& file,
                                                     int imageNumber);

// The same on bytes already in memory.
std::optional<std::vector<std::uint8_t>> cutIcoImage(std::span<const std::uint8_t> bytes,
                                                     int imageNumber);

// What a one-image file's directory and image header say about image `imageNumber`
// (the same numbering rule): the file's image count, the entry's stored width and
// height, and the bit count of the image's own 40-byte bitmap header (of a PNG
// image: its bits per sample times samples per pixel). Nothing when
// the header is bad or the file ends inside the entry or inside those 40 bytes.
struct IcoImageInfo {
    int imageCount = 0;
    int width = 0;   // as stored: 0 for 256
    int height = 0;  // as stored
    int bitCount = 0;
    std::uint32_t imageOffset = 0;  // where the image's bytes lie, as the entry says
    std::uint32_t imageBytes = 0;
};
std::optional<IcoImageInfo> readIcoImageInfo(const std::filesystem::path& file, int imageNumber);

}  // namespace pellimar
