// Icon files of 16 or 256 colours made from decoded pictures: each picture is
// reduced to a palette image with a 1-bit AND mask (alpha and colours the palette
// lacks are given up), and the images are laid out in an icon file by
// icon_file_encoder.h. This is what the save command's ICO format makes of a
// program's icon; copying an icon's images as they are stored is
// icon_file_encoder.h's alone, and output_files.h writes either kind. Also the
// device-independent bitmap routines the reduction rests on.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/failure.h"
#include "platform/ico_file.h"
#include "platform/icon.h"

namespace pellimar {

// The 40-byte header of a device-independent bitmap (BITMAPINFOHEADER in the
// file format's own terms), fields in the order the file stores them.
struct DibHeader {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
    std::int32_t xPixelsPerMetre = 0;
    std::int32_t yPixelsPerMetre = 0;
    std::uint32_t coloursUsed = 0;
    std::uint32_t coloursImportant = 0;

    void writeTo(std::uint8_t* out) const;  // 40 bytes, little-endian
};

// A device bitmap: `bitsPerPixel` is 1 for a mask (pixels 0 or 0xFFFFFF) or 32
// for a colour image; pixels 0x00RRGGBB, top row first. A bitmap whose pixels do
// not match its size stands for "no bitmap".
struct Bitmap {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    std::vector<std::uint32_t> pixels;

    bool valid() const {
        return width > 0 && height > 0 && pixels.size() == std::size_t(width) * height;
    }
};

// The two bitmaps of an icon, as the desktop hands them out. The mask bit is 1
// where the background shows through. Icons with alpha get their mask from the
// alpha channel (transparent below 128) and black colour under it, since the
// written file carries no alpha. A monochrome icon (bit count 1) has no colour
// bitmap; its mask bitmap is twice as high (AND mask over XOR image).
struct IconBitmaps {
    Bitmap mask;
    Bitmap color;
};
// None for an empty icon, one larger than 1024 pixels a side, or one whose pixels
// do not match its size.
std::optional<IconBitmaps> bitmapsOf(const Icon& icon);

// 16 when every pixel of the colour bitmap is one of the 16 standard colours,
// else 256.
int chooseIconColors(const Bitmap& colorBitmap);

// The header of `bitmap` stored at `colors` colours (2, 3 to 16, 17 to 256; any
// other count keeps the bitmap's own bits per pixel). None when the bitmap
// cannot be described.
std::optional<DibHeader> dibHeaderFor(const Bitmap& bitmap, int colors);
// The bytes of a bitmap stored at `colors` colours: its header with the colour
// table, and its rows.
struct DibSizes {
    std::uint32_t infoSize = 0;
    std::uint32_t imageSize = 0;
};
// None when the bitmap cannot be described.
std::optional<DibSizes> dibSizesOf(const Bitmap& bitmap, int colors);
// Fills `info` (header and colour table, infoSize bytes) and `bits` (imageSize
// bytes, rows bottom-up) with the bitmap at the requested colour count. False
// when the bitmap cannot be described or the buffers are smaller than
// dibSizesOf gave.
bool fillDib(const Bitmap& bitmap, std::span<std::uint8_t> info, std::span<std::uint8_t> bits,
             int colors);

// An icon reduced to 16 or 256 colours: the image as an icon file stores it (the
// colour header with the height of colour image and mask together, the colour
// table, the colour rows and the AND mask, rows bottom-up) and the standard
// directory entry for it: colour count 16 or 0, one plane, bit count 4 or 8.
struct ReducedImage {
    IconDirEntry entry;
    std::vector<std::uint8_t> data;
};
Result<ReducedImage> reduceIconColors(const Icon& icon);

// The icons reduced, in order, as the bytes of one icon file; why not at the first
// icon that cannot be reduced (a monochrome icon becomes a 16-colour image with its
// mask).
Result<std::vector<std::uint8_t>> encodeReducedIconFile(std::span<const Icon> icons);

}  // namespace pellimar
