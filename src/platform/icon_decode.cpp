#include "platform/icon_decode.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/png_codec.h"

namespace pellimar {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

// Extracts one colour channel through a bit-field mask and scales it to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1)) ++shift;
        while (shift + bits < 32 && ((m >> (shift + bits)) & 1)) ++bits;
    }
    std::uint32_t get(std::uint32_t v) const {
        if (!bits) return 0;
        std::uint32_t x = (v & mask) >> shift;
        if (bits >= 8) return x >> (bits - 8);
        // Replicate the high bits into the low ones: 5-bit 31 becomes 255.
        std::uint32_t out = 0;
        int filled = 0;
        while (filled < 8) {
            out = (out << bits) | x;
            filled += bits;
        }
        return out >> (filled - 8);
    }
};

Failure sideCapFailure() {
    return capReached(Cap::ImageSide,
                      "images of " + std::to_string(kMaxDibDimension) + " pixels a side");
}

Result<Icon> decodeDib(std::span<const std::uint8_t> data) {
    ByteReader r(data);
    auto headerSize = r.u32(0);
    if (!headerSize) return failure(Fault::DamagedImage, "shorter than a bitmap header");
    if (*headerSize < 40 || *headerSize > 124)
        return failure(Fault::UnsupportedImage,
                       "bitmap header of " + std::to_string(*headerSize) + " bytes");
    if (!r.has(0, *headerSize)) return failure(Fault::DamagedImage, "bitmap header cut off");
    std::int32_t width = *r.i32(4);
    std::int32_t rawHeight = *r.i32(8);
    std::uint16_t bits = *r.u16(14);
    std::uint32_t compression = *r.u32(16);
    std::uint32_t colorsUsed = *r.u32(32);
    if (rawHeight == INT_MIN) return failure(Fault::DamagedImage, "height out of range");
    bool topDown = rawHeight < 0;
    std::int64_t height = std::llabs(std::int64_t(rawHeight)) / 2;
    if (width < 1 || height < 1)
        return failure(Fault::DamagedImage,
                       "size " + std::to_string(width) + " x " + std::to_string(height));
    if (width > kMaxDibDimension || height > kMaxDibDimension) return sideCapFailure();
    const int w = width, h = int(height);
    auto compressionKind = [&] {
        return "compression " + std::to_string(compression) + " at " + std::to_string(bits) +
               " bits";
    };

    std::uint64_t offset = *headerSize;
    std::vector<std::uint32_t> palette;
    Channel red, green, blue;
    switch (bits) {
        case 1:
        case 4:
        case 8: {
            if (compression != kBiRgb) return failure(Fault::UnsupportedImage, compressionKind());
            std::uint64_t stored = colorsUsed ? colorsUsed : (1u << bits);
            std::uint64_t used = std::min<std::uint64_t>(stored, 1u << bits);
            auto table = r.bytes(offset, stored * 4);
            if (!table) return failure(Fault::DamagedImage, "colour table cut off");
            for (std::uint64_t i = 0; i < used; ++i)
                palette.push_back(0xFF000000u | (loadU32(table->data() + i * 4) & 0x00FFFFFFu));
            palette.resize(std::size_t(1) << bits, 0xFF000000u);
            offset += stored * 4;
            break;
        }
        case 16:
        case 32:
            if (compression == kBiBitfields) {
                std::uint64_t at = *headerSize >= 52 ? 40 : offset;
                auto r0 = r.u32(at), g0 = r.u32(at + 4), b0 = r.u32(at + 8);
                if (!r0 || !g0 || !b0) return failure(Fault::DamagedImage, "colour masks cut off");
                red = Channel(*r0), green = Channel(*g0), blue = Channel(*b0);
                if (*headerSize < 52) offset += 12;
            } else if (compression == kBiRgb) {
                if (bits == 16)
                    red = Channel(0x7C00), green = Channel(0x03E0), blue = Channel(0x001F);
            } else {
                return failure(Fault::UnsupportedImage, compressionKind());
            }
            break;
        case 24:
            if (compression != kBiRgb) return failure(Fault::UnsupportedImage, compressionKind());
            break;
        default:
            return failure(Fault::UnsupportedImage, std::to_string(bits) + " bits per pixel");
    }

    const std::uint64_t stride = ((std::uint64_t(w) * bits + 31) / 32) * 4;
    const std::uint64_t maskStride = ((std::uint64_t(w) + 31) / 32) * 4;
    auto colorRows = r.bytes(offset, stride * h);
    if (!colorRows) return failure(Fault::DamagedImage, "pixel rows cut off");
    auto maskRows = r.bytes(offset + stride * h, maskStride * h);

    Icon icon;
    icon.width = w;
    icon.height = h;
    icon.bitCount = bits;
    icon.color.assign(std::size_t(w) * h, 0);
    icon.mask.assign(std::size_t(w) * h, 0);
    bool anyAlpha = false;
    const bool plain32 = bits == 32 && compression == kBiRgb;
    for (int y = 0; y < h; ++y) {
        const int srcRow = topDown ? y : h - 1 - y;
        const std::uint8_t* row = colorRows->data() + std::uint64_t(srcRow) * stride;
        std::uint32_t* out = icon.color.data() + std::size_t(y) * w;
        for (int x = 0; x < w; ++x) {
            std::uint32_t c = 0;
            switch (bits) {
                case 1:
                    c = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
                    break;
                case 4:
                    c = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                    break;
                case 8:
                    c = palette[row[x]];
                    break;
                case 16: {
                    std::uint32_t v = loadU16(row + x * 2);
                    c = 0xFF000000u | (red.get(v) << 16) | (green.get(v) << 8) | blue.get(v);
                    break;
                }
                case 24:
                    c = 0xFF000000u | (row[x * 3 + 2] << 16) | (row[x * 3 + 1] << 8) | row[x * 3];
                    break;
                case 32: {
                    std::uint32_t v = loadU32(row + x * 4);
                    if (plain32) {
                        c = v;
                        anyAlpha |= (v >> 24) != 0;
                    } else {
                        c = 0xFF000000u | (red.get(v) << 16) | (green.get(v) << 8) | blue.get(v);
                    }
                    break;
                }
            }
            out[x] = c;
        }
        if (maskRows) {
            const std::uint8_t* m = maskRows->data() + std::uint64_t(srcRow) * maskStride;
            std::uint8_t* mo = icon.mask.data() + std::size_t(y) * w;
            for (int x = 0; x < w; ++x) mo[x] = (m[x >> 3] >> (7 - (x & 7))) & 1;
        }
    }
    if (anyAlpha) {
        icon.hasAlpha = true;
        if (!maskRows)
            for (std::size_t i = 0; i < icon.color.size(); ++i)
                icon.mask[i] = (icon.color[i] >> 24) == 0;
    } else if (plain32) {
        // Alpha all zero: an old-style image, opaque where its mask says so.
        for (auto& c : icon.color) c |= 0xFF000000u;
    }
    return icon;
}

Result<Icon> decodePngIcon(std::span<const std::uint8_t> data) {
    std::string why;
    auto image = decodePng(data, kMaxDibDimension, &why);
    if (!image) return failure(Fault::DamagedImage, "PNG: " + why);
    Icon icon;
    icon.width = image->width;
    icon.height = image->height;
    icon.hasAlpha = true;
    icon.bitCount = 32;
    const std::size_t n = std::size_t(icon.width) * icon.height;
    icon.color.resize(n);
    icon.mask.resize(n);
    const std::uint8_t* p = image->rgba.data();
    for (std::size_t i = 0; i < n; ++i, p += 4) {
        icon.color[i] = (std::uint32_t(p[3]) << 24) | (std::uint32_t(p[0]) << 16) |
                        (std::uint32_t(p[1]) << 8) | p[2];
        icon.mask[i] = p[3] == 0;
    }
    return icon;
}

// Which source pixels each target pixel covers, and how much of each, in whole
// numbers: along a line of `source` pixels brought to `target`, target pixel d
// covers [d * source, (d + 1) * source) and source pixel i [i * target,
// (i + 1) * target); a weight is the length of their overlap. The weights of one
// target pixel add up to `source`.
struct AreaTaps {
    std::vector<int> first;             // per target pixel: its first source pixel
    std::vector<std::uint32_t> offset;  // per target pixel, and one past: into weights
    std::vector<std::uint32_t> weights;
};

AreaTaps areaTaps(int source, int target) {
    AreaTaps taps;
    taps.first.resize(std::size_t(target));
    taps.offset.resize(std::size_t(target) + 1);
    taps.weights.reserve(std::size_t(target) + std::size_t(source) + 1);
    for (int d = 0; d < target; ++d) {
        const std::int64_t lo = std::int64_t(d) * source, hi = lo + source;
        const std::int64_t first = lo / target, last = (hi - 1) / target;
        taps.first[std::size_t(d)] = int(first);
        taps.offset[std::size_t(d)] = std::uint32_t(taps.weights.size());
        for (std::int64_t i = first; i <= last; ++i)
            taps.weights.push_back(
                std::uint32_t(std::min(hi, (i + 1) * target) - std::max(lo, i * target)));
    }
    taps.offset[std::size_t(target)] = std::uint32_t(taps.weights.size());
    return taps;
}

// sum / weight rounded to the nearest whole number (halves up), at most 255.
std::uint32_t level(std::uint64_t sum, std::uint64_t weight) {
    return std::uint32_t(std::min<std::uint64_t>((2 * sum + weight) / (2 * weight), 255));
}

// The area filter over whole numbers: each target pixel averages the source
// pixels it covers, by how much it covers of each; alpha icons by alpha-weighted
// colour, masked icons by the colours on the side of the mask that wins.
template <bool kAlpha>
void areaResize(const Icon& icon, Icon& out, const std::uint8_t* mask) {
    const AreaTaps xs = areaTaps(icon.width, out.width);
    const AreaTaps ys = areaTaps(icon.height, out.height);
    for (int y = 0; y < out.height; ++y) {
        const std::uint32_t y0 = ys.offset[std::size_t(y)], y1 = ys.offset[std::size_t(y) + 1];
        const int firstRow = ys.first[std::size_t(y)];
        for (int x = 0; x < out.width; ++x) {
            const std::uint32_t x0 = xs.offset[std::size_t(x)], x1 = xs.offset[std::size_t(x) + 1];
            const std::size_t firstColumn = std::size_t(xs.first[std::size_t(x)]);
            std::uint64_t total = 0, masked = 0, alpha = 0;
            std::uint64_t shown[3] = {0, 0, 0}, hidden[3] = {0, 0, 0};
            for (std::uint32_t j = y0; j < y1; ++j) {
                const std::size_t row =
                    std::size_t(firstRow + int(j - y0)) * std::size_t(icon.width);
                const std::uint64_t wy = ys.weights[j];
                for (std::uint32_t i = x0; i < x1; ++i) {
                    const std::uint64_t w = wy * xs.weights[i];
                    const std::size_t si = row + firstColumn + (i - x0);
                    const std::uint32_t c = icon.color[si];
                    const bool m = mask[si] != 0;
                    total += w;
                    if (m) masked += w;
                    if constexpr (kAlpha) {
                        const std::uint64_t a = w * (c >> 24);
                        alpha += a;
                        shown[0] += a * ((c >> 16) & 0xFF);
                        shown[1] += a * ((c >> 8) & 0xFF);
                        shown[2] += a * (c & 0xFF);
                    } else {
                        std::uint64_t* sum = m ? hidden : shown;
                        sum[0] += w * ((c >> 16) & 0xFF);
                        sum[1] += w * ((c >> 8) & 0xFF);
                        sum[2] += w * (c & 0xFF);
                    }
                }
            }
            const std::size_t di = std::size_t(y) * std::size_t(out.width) + std::size_t(x);
            const bool maskBit = masked * 2 > total;
            out.mask[di] = maskBit;
            if constexpr (kAlpha) {
                if (alpha > 0)
                    out.color[di] = (level(alpha, total) << 24) | (level(shown[0], alpha) << 16) |
                                    (level(shown[1], alpha) << 8) | level(shown[2], alpha);
            } else {
                const std::uint64_t weight = maskBit ? masked : total - masked;
                const std::uint64_t* sum = maskBit ? hidden : shown;
                out.color[di] = 0xFF000000u | (level(sum[0], weight) << 16) |
                                (level(sum[1], weight) << 8) | level(sum[2], weight);
            }
        }
    }
}

}  // namespace

std::optional<int> storedImageDepth(std::span<const std::uint8_t> start) {
    if (looksLikePng(start)) {
        if (start.size() < 26) return std::nullopt;
        static const int samples[7] = {1, 0, 3, 1, 2, 0, 4};
        const int colourType = start[25];
        return start[24] * (colourType < 7 ? samples[colourType] : 0);
    }
    if (start.size() < 16 || loadU32(start.data()) < 40) return std::nullopt;
    return loadU16(start.data() + 14);
}

std::optional<std::uint64_t> storedDibSize(std::span<const std::uint8_t> start) {
    if (start.size() < 36 || looksLikePng(start)) return std::nullopt;
    const std::uint32_t headerSize = loadU32(start.data());
    if (headerSize < 40 || headerSize > 124) return std::nullopt;
    const std::int64_t width = std::int32_t(loadU32(start.data() + 4));
    const std::int64_t height =
        std::llabs(std::int64_t(std::int32_t(loadU32(start.data() + 8)))) / 2;
    const int bits = loadU16(start.data() + 14);
    const std::uint32_t compression = loadU32(start.data() + 16);
    const std::uint32_t colorsUsed = loadU32(start.data() + 32);
    if (width < 1 || height < 1 || width > kMaxDibDimension || height > kMaxDibDimension)
        return std::nullopt;
    std::uint64_t size = headerSize;
    if (bits == 1 || bits == 4 || bits == 8) {
        if (compression != kBiRgb) return std::nullopt;
        size += std::uint64_t(colorsUsed ? colorsUsed : (1u << bits)) * 4;
    } else if ((bits == 16 || bits == 32) && compression == kBiBitfields) {
        if (headerSize < 52) size += 12;
    } else if (!((bits == 16 || bits == 24 || bits == 32) && compression == kBiRgb)) {
        return std::nullopt;
    }
    const auto rowBytes = [](std::int64_t w, int b) {
        return std::uint64_t((w * b + 31) / 32 * 4);
    };
    return size + (rowBytes(width, bits) + rowBytes(width, 1)) * std::uint64_t(height);
}

std::optional<Failure> pastImageCaps(std::span<const std::uint8_t> imageData) {
    if (imageData.size() > kMaxImageBytes)
        return capReached(Cap::ResourceBytes,
                          std::to_string(kMaxImageBytes >> 20) + " MB of one image");
    if (const auto png = pngStatedSize(imageData);
        png && (png->width > std::uint32_t(kMaxDibDimension) ||
                png->height > std::uint32_t(kMaxDibDimension)))
        return sideCapFailure();
    return std::nullopt;
}

Result<Icon> decodeIconImage(std::span<const std::uint8_t> imageData) {
    if (auto past = pastImageCaps(imageData)) return *past;
    if (looksLikePng(imageData)) return decodePngIcon(imageData);
    return decodeDib(imageData);
}

Icon resizeIcon(const Icon& icon, int width, int height, ResizeFilter filter) {
    if (icon.empty() || width <= 0 || height <= 0 || width > kMaxPngDimension ||
        height > kMaxPngDimension)
        return {};
    const std::size_t sourceCount = std::size_t(icon.width) * icon.height;
    if (icon.color.size() < sourceCount) return {};
    Icon out;
    out.width = width;
    out.height = height;
    out.hasAlpha = icon.hasAlpha;
    out.bitCount = icon.bitCount;
    out.color.assign(std::size_t(width) * height, 0);
    out.mask.assign(std::size_t(width) * height, 0);
    auto maskAt = [&](std::size_t i) -> int { return i < icon.mask.size() ? icon.mask[i] : 0; };

    if (width == icon.width && height == icon.height) {
        out.color.assign(icon.color.begin(), icon.color.begin() + std::ptrdiff_t(sourceCount));
        for (std::size_t i = 0; i < sourceCount; ++i) out.mask[i] = std::uint8_t(maskAt(i));
        return out;
    }

    if (filter == ResizeFilter::Nearest) {
        for (int y = 0; y < height; ++y) {
            int sy = int(std::int64_t(y) * icon.height / height);
            for (int x = 0; x < width; ++x) {
                int sx = int(std::int64_t(x) * icon.width / width);
                std::size_t si = std::size_t(sy) * icon.width + sx, di = std::size_t(y) * width + x;
                out.color[di] = icon.color[si];
                out.mask[di] = std::uint8_t(maskAt(si));
            }
        }
        return out;
    }

    // A mask shorter than the picture is taken as 0 beyond its end.
    std::vector<std::uint8_t> fullMask;
    const std::uint8_t* mask = icon.mask.data();
    if (icon.mask.size() < sourceCount) {
        fullMask.assign(sourceCount, 0);
        std::copy(icon.mask.begin(), icon.mask.end(), fullMask.begin());
        mask = fullMask.data();
    }
    if (icon.hasAlpha)
        areaResize<true>(icon, out, mask);
    else
        areaResize<false>(icon, out, mask);
    return out;
}

}  // namespace pellimar
