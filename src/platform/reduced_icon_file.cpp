#include "platform/reduced_icon_file.h"

#include <algorithm>
#include <cstring>

#include "platform/byte_reader.h"
#include "platform/icon_file_encoder.h"
#include "platform/palette.h"

namespace pellimar {

namespace {

std::uint32_t rowStride(std::int64_t width, int bitCount) {
    return std::uint32_t((width * bitCount + 31) / 32 * 4);
}

RgbImage asRgb(const Bitmap& bitmap) {
    RgbImage img;
    img.width = bitmap.width;
    img.height = bitmap.height;
    img.pixels = bitmap.pixels;
    return img;
}

// A monochrome icon hands out one bitmap: its AND mask above its black-and-white
// XOR image. The file keeps the two apart, the XOR image as the colour image;
// black and white are standard colours, so it is written with 16 colours and
// every pixel (transparent and inverted ones included) comes back as it was.
void splitMonochrome(IconBitmaps& bitmaps) {
    Bitmap& both = bitmaps.mask;
    if (bitmaps.color.valid() || !both.valid() || both.height % 2 != 0) return;
    const int height = both.height / 2;
    const std::size_t half = std::size_t(both.width) * height;
    bitmaps.color = {
        both.width, height, 32,
        std::vector<std::uint32_t>(both.pixels.begin() + std::ptrdiff_t(half), both.pixels.end())};
    both.pixels.resize(half);
    both.height = height;
}

}  // namespace

void DibHeader::writeTo(std::uint8_t* out) const {
    storeU32(out, headerSize);
    storeU32(out + 4, std::uint32_t(width));
    storeU32(out + 8, std::uint32_t(height));
    storeU16(out + 12, planes);
    storeU16(out + 14, bitCount);
    storeU32(out + 16, compression);
    storeU32(out + 20, imageSize);
    storeU32(out + 24, std::uint32_t(xPixelsPerMetre));
    storeU32(out + 28, std::uint32_t(yPixelsPerMetre));
    storeU32(out + 32, coloursUsed);
    storeU32(out + 36, coloursImportant);
}

std::optional<IconBitmaps> bitmapsOf(const Icon& icon) {
    if (icon.empty() || icon.width > 1024 || icon.height > 1024) return std::nullopt;
    const std::size_t count = std::size_t(icon.width) * icon.height;
    if (icon.color.size() < count) return std::nullopt;
    const bool haveMask = icon.mask.size() >= count;

    IconBitmaps out;
    std::vector<std::uint32_t> mask(count), color(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t c = icon.color[i];
        bool transparent = icon.hasAlpha ? (c >> 24) < 128 : (haveMask && icon.mask[i] != 0);
        mask[i] = transparent ? 0xFFFFFF : 0;
        color[i] = (icon.hasAlpha && transparent) ? 0 : (c & 0xFFFFFF);
    }
    if (icon.bitCount == 1 && !icon.hasAlpha) {
        // Monochrome: one bitmap, the AND mask above the XOR image.
        out.mask = {icon.width, icon.height * 2, 1, std::move(mask)};
        for (std::uint32_t c : color) out.mask.pixels.push_back(c == 0 ? 0 : 0xFFFFFF);
        return out;
    }
    out.mask = {icon.width, icon.height, 1, std::move(mask)};
    out.color = {icon.width, icon.height, 32, std::move(color)};
    return out;
}

int chooseIconColors(const Bitmap& colorBitmap) {
    for (std::uint32_t p : colorBitmap.pixels)
        if (!isStandardColor(p)) return 256;
    return 16;
}

std::optional<DibHeader> dibHeaderFor(const Bitmap& bitmap, int colors) {
    if (!bitmap.valid()) return std::nullopt;
    // Our bitmaps are device bitmaps: there is no embedded header to copy.
    DibHeader header;
    header.headerSize = 40;
    header.width = bitmap.width;
    header.height = bitmap.height;
    if (colors == 2) {
        header.bitCount = 1;
    } else if (colors >= 3 && colors <= 16) {
        header.bitCount = 4;
        header.coloursUsed = std::uint32_t(colors);
    } else if (colors >= 17 && colors <= 256) {
        header.bitCount = 8;
        header.coloursUsed = std::uint32_t(colors);
    } else {
        header.bitCount = std::uint16_t(bitmap.bitsPerPixel);
    }
    header.planes = 1;
    header.imageSize = rowStride(header.width, header.bitCount) * std::uint32_t(header.height);
    return header;
}

std::optional<DibSizes> dibSizesOf(const Bitmap& bitmap, int colors) {
    const std::optional<DibHeader> h = dibHeaderFor(bitmap, colors);
    if (!h) return std::nullopt;
    DibSizes sizes;
    // Uncompressed: a colour table for the bit counts that have one, no masks.
    sizes.infoSize = 40;
    if (h->bitCount <= 8)
        sizes.infoSize += 4 * (h->coloursUsed ? h->coloursUsed : (1u << h->bitCount));
    sizes.imageSize = h->imageSize;
    return sizes;
}

bool fillDib(const Bitmap& bitmap, std::span<std::uint8_t> info, std::span<std::uint8_t> bits,
             int colors) {
    const std::optional<DibHeader> header = dibHeaderFor(bitmap, colors);
    if (!header || info.size() < 40) return false;
    const DibHeader& h = *header;
    const std::uint32_t stride = rowStride(h.width, h.bitCount);
    if (bits.size() < std::size_t(stride) * bitmap.height) return false;
    std::fill(info.begin(), info.end(), 0);
    std::fill(bits.begin(), bits.end(), 0);
    h.writeTo(info.data());

    // The palette version of the picture, for the bit counts that have a table.
    IndexedImage indexed;
    const RgbImage rgb = asRgb(bitmap);
    switch (h.bitCount) {
        case 1:
            indexed = mapToPalette(rgb, {0x000000, 0xFFFFFF});
            break;
        case 4:
            indexed = toStandardColors(rgb);
            break;
        case 8:
            indexed = toAdaptivePalette(rgb, int(h.coloursUsed ? h.coloursUsed : 256));
            break;
        case 24:
        case 32:
            break;
        default:
            return false;
    }
    if (h.bitCount <= 8) {
        const std::size_t tableEntries = (info.size() - 40) / 4;
        if (indexed.palette.size() > tableEntries) return false;
        for (std::size_t i = 0; i < indexed.palette.size(); ++i) {
            std::uint8_t* e = info.data() + 40 + 4 * i;
            std::uint32_t c = indexed.palette[i];
            e[0] = std::uint8_t(c);
            e[1] = std::uint8_t(c >> 8);
            e[2] = std::uint8_t(c >> 16);
        }
    }
    for (int y = 0; y < bitmap.height; ++y) {
        std::uint8_t* row = bits.data() + std::size_t(bitmap.height - 1 - y) * stride;
        for (int x = 0; x < bitmap.width; ++x) {
            const std::size_t i = std::size_t(y) * bitmap.width + x;
            switch (h.bitCount) {
                case 1:
                    if (indexed.indices[i]) row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
                    break;
                case 4:
                    row[x / 2] |= std::uint8_t(indexed.indices[i] << (x % 2 ? 0 : 4));
                    break;
                case 8:
                    row[x] = indexed.indices[i];
                    break;
                default: {
                    const int bytes = h.bitCount / 8;
                    std::uint32_t c = bitmap.pixels[i];
                    row[x * bytes] = std::uint8_t(c);
                    row[x * bytes + 1] = std::uint8_t(c >> 8);
                    row[x * bytes + 2] = std::uint8_t(c >> 16);
                }
            }
        }
    }
    return true;
}

Result<ReducedImage> reduceIconColors(const Icon& icon) {
    std::optional<IconBitmaps> bitmaps = bitmapsOf(icon);
    if (!bitmaps)
        return failure(Fault::CannotEncode, icon.empty()
                                                ? "an empty picture"
                                                : "pictures larger than 1024 pixels a side");
    IconBitmaps& a = *bitmaps;
    splitMonochrome(a);

    const std::optional<DibSizes> maskSizes = dibSizesOf(a.mask, 2);
    if (!maskSizes || maskSizes->imageSize == 0)
        return failure(Fault::CannotEncode, "its mask cannot be described");
    const int colors = chooseIconColors(a.color);
    const std::optional<DibSizes> colorSizes = dibSizesOf(a.color, colors);
    if (!colorSizes || colorSizes->imageSize == 0)
        return failure(Fault::CannotEncode, "its colours cannot be described");

    std::vector<std::uint8_t> monoInfo(maskSizes->infoSize), andBits(maskSizes->imageSize),
        info(colorSizes->infoSize), xorBits(colorSizes->imageSize);
    if (!fillDib(a.mask, monoInfo, andBits, 2) || !fillDib(a.color, info, xorBits, colors))
        return failure(Fault::CannotEncode, "its pixels cannot be reduced");

    // The colour header describes the colour image and the mask together.
    const int width = a.color.width, height = a.color.height;
    storeU32(info.data() + 8, std::uint32_t(height * 2));

    ReducedImage out;
    out.data.reserve(info.size() + xorBits.size() + andBits.size());
    out.data.insert(out.data.end(), info.begin(), info.end());
    out.data.insert(out.data.end(), xorBits.begin(), xorBits.end());
    out.data.insert(out.data.end(), andBits.begin(), andBits.end());
    // A directory entry states 256 pixels and more as 0.
    out.entry.width = std::uint8_t(width >= 256 ? 0 : width);
    out.entry.height = std::uint8_t(height >= 256 ? 0 : height);
    out.entry.colorCount = colors == 16 ? 16 : 0;
    out.entry.planes = 1;
    out.entry.bitCount = colors == 16 ? 4 : 8;
    return out;
}

Result<std::vector<std::uint8_t>> encodeReducedIconFile(std::span<const Icon> icons) {
    std::vector<ReducedImage> reduced;
    reduced.reserve(icons.size());
    for (std::size_t i = 0; i < icons.size(); ++i) {
        auto one = reduceIconColors(icons[i]);
        if (!one)
            return icons.size() == 1 ? one.failure()
                                     : one.failure().within("icon " + std::to_string(i));
        reduced.push_back(std::move(*one));
    }
    std::vector<ImageToEncode> images;
    images.reserve(reduced.size());
    for (const ReducedImage& r : reduced) images.push_back({r.entry, 0, 0, r.data});
    return encodeIconFile(ResourceKind::Icon, images);
}

}  // namespace pellimar
