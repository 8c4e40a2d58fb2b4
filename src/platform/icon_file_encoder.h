// The layout of icon (.ico) and cursor (.cur) files, written: a header, a
// directory entry per image, then each image's bytes exactly as given. Every icon
// file the programs make is laid out here, from images as a file stores them (PNG
// images stay PNG, cursors keep their hotspots) or from images just reduced
// (reduced_icon_file.h); nothing here decodes or changes a pixel. output_files.h
// turns these bytes into files.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/failure.h"
#include "platform/ico_file.h"
#include "platform/icon_set.h"

namespace pellimar {

struct ImageToEncode {
    // Width, height, colour count, reserved, planes and bit count as they are to
    // be written; the size and offset fields are the encoder's.
    IconDirEntry entry;
    // Cursors: written in place of the planes and the bit count.
    std::uint16_t hotspotX = 0, hotspotY = 0;
    std::span<const std::uint8_t> data;  // the image as stored: a DIB or a PNG
};

// An icon file (kind Icon) or cursor file: the 6-byte header (0, type 1 or 2,
// count), a 16-byte entry per image giving the size of its data and where it
// lies, then each image's data as given. Why not when there is no image, more
// than 65,535, or more than an icon file can address.
Result<std::vector<std::uint8_t>> encodeIconFile(ResourceKind kind,
                                                 std::span<const ImageToEncode> images);

// A group as stored: every image of it that has its bytes, in the group's order.
// Why not when none has.
Result<std::vector<std::uint8_t>> encodeStoredGroup(const IconGroup& group);

// The same file in pieces to be written one after the other: the directory, then
// each image's bytes where the group holds them (an image the group names many
// times is held once). The pieces point into `directory` and into the group's
// images, which must outlive them (moving the pieces keeps them valid).
struct IconFilePieces {
    std::vector<std::uint8_t> directory;
    std::vector<std::span<const std::uint8_t>> pieces;
    std::uint64_t size = 0;  // of the whole file
};
Result<IconFilePieces> encodeStoredGroupInPieces(const IconGroup& group);

// One image of a group alone, as stored.
Result<std::vector<std::uint8_t>> encodeStoredImage(ResourceKind kind, const StoredImage& image);

}  // namespace pellimar
