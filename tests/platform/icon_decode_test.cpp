// Decoding stored icon images of every kind, the depth their headers state, and
// resampling.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "platform/byte_reader.h"
#include "platform/icon_decode.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

// The image decoded; a failure fails the test.
Icon decoded(const Bytes& bytes) {
    Result<Icon> icon = decodeIconImage(bytes);
    EXPECT_TRUE(icon) << why(icon);
    return icon ? std::move(*icon) : Icon{};
}

void expectSamePicture(const Icon& expected, const Icon& actual) {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            std::uint32_t keep = expected.hasAlpha ? 0xFFFFFFFFu : 0x00FFFFFFu;
            ASSERT_EQ(actual.pixel(x, y) & keep, expected.pixel(x, y) & keep)
                << "at " << x << "," << y;
            ASSERT_EQ(actual.maskBit(x, y), expected.maskBit(x, y)) << "mask at " << x << "," << y;
        }
}

struct DepthCase {
    int bits;
    int colors;
    bool bitfields;
};

class DibDepth : public ::testing::TestWithParam<DepthCase> {};

TEST_P(DibDepth, DecodesColoursAndMaskOfEveryDepth) {
    const DepthCase c = GetParam();
    Icon picture = patternIcon(19, 7, c.colors);  // odd width exercises row padding
    DibOptions options;
    options.bitfields = c.bitfields;
    const Icon image = decoded(dibImage(picture, c.bits, options).data);
    EXPECT_EQ(image.bitCount, c.bits);
    EXPECT_FALSE(image.hasAlpha);
    expectSamePicture(picture, image);
}

INSTANTIATE_TEST_SUITE_P(AllDepths, DibDepth,
                         ::testing::Values(DepthCase{1, 2, false}, DepthCase{4, 16, false},
                                           DepthCase{8, 200, false}, DepthCase{16, 256, false},
                                           DepthCase{16, 256, true}, DepthCase{24, 0, false},
                                           DepthCase{32, 0, false}, DepthCase{32, 0, true}));

TEST(DibDecode, OneBitIconKeepsWhiteBlackTransparentAndInverted) {
    Icon picture = solidIcon(4, 1, 0xFFFFFFFF);
    picture.color = {0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF};
    picture.mask = {0, 0, 1, 1};
    const Icon image = decoded(dibImage(picture, 1).data);
    ASSERT_EQ(image.width, 4);
    EXPECT_FALSE(image.hasAlpha);
    EXPECT_EQ(image.color,
              (std::vector<std::uint32_t>{0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF}));
    EXPECT_EQ(image.mask, (std::vector<std::uint8_t>{0, 0, 1, 1}));
}

TEST(DibDecode, ThirtyTwoBitAlphaIsKeptWithItsMask) {
    Icon picture = alphaPatternIcon(40, 5);
    const Icon image = decoded(dibImage(picture, 32).data);
    EXPECT_TRUE(image.hasAlpha);
    expectSamePicture(picture, image);
}

TEST(DibDecode, ThirtyTwoBitWithAllAlphaZeroIsOpaqueWhereTheMaskSays) {
    Icon picture = patternIcon(8, 8);
    DibOptions options;
    options.zeroAlpha = true;
    const Icon image = decoded(dibImage(picture, 32, options).data);
    EXPECT_FALSE(image.hasAlpha);
    expectSamePicture(picture, image);
    EXPECT_EQ(image.pixel(3, 3) >> 24, 0xFFu);
}

TEST(DibDecode, ThirtyTwoBitWithoutMaskTakesTheMaskFromAlpha) {
    Icon picture = alphaPatternIcon(32, 4);
    DibOptions options;
    options.withMask = false;
    const Icon image = decoded(dibImage(picture, 32, options).data);
    ASSERT_TRUE(image.hasAlpha);
    EXPECT_TRUE(image.maskBit(0, 2));
    EXPECT_FALSE(image.maskBit(1, 2));
}

TEST(DibDecode, MissingMaskOfAnOpaqueImageMeansOpaque) {
    Icon picture = patternIcon(16, 16, 16);
    DibOptions options;
    options.withMask = false;
    const Icon image = decoded(dibImage(picture, 4, options).data);
    ASSERT_FALSE(image.empty());
    EXPECT_FALSE(image.maskBit(0, 0));
}

TEST(PngDecode, DecodesLargePngWithMaskFollowingAlpha) {
    Icon picture = alphaPatternIcon(256, 256);
    const Icon image = decoded(pngImage(picture).data);
    EXPECT_TRUE(image.hasAlpha);
    expectSamePicture(picture, image);
}

TEST(HostileImages, GiveAFailureThatSaysWhy) {
    const Bytes good = dibImage(patternIcon(16, 16, 16), 4).data;
    auto patched = [&](std::size_t at, std::uint32_t value, bool wide) {
        Bytes b = good;
        wide ? put32(b, at, value) : put16(b, at, std::uint16_t(value));
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        Fault fault;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"empty", {}, Fault::DamagedImage, "damaged image data (shorter than a bitmap header)"},
        {"header only", Bytes(good.begin(), good.begin() + 40), Fault::DamagedImage,
         "damaged image data (colour table cut off)"},
        {"colour rows cut", Bytes(good.begin(), good.begin() + 40 + 64 + 50), Fault::DamagedImage,
         "damaged image data (pixel rows cut off)"},
        {"width too large", patched(4, 5000, true), Fault::CapReached,
         "stopped at a limit: images of 1024 pixels a side"},
        {"width negative", patched(4, 0xFFFFFFF0u, true), Fault::DamagedImage,
         "damaged image data (size -16 x 16)"},
        {"height 4 GB", patched(8, 0x80000000u, true), Fault::DamagedImage,
         "damaged image data (height out of range)"},
        {"height huge", patched(8, 0x7FFFFFFFu, true), Fault::CapReached,
         "stopped at a limit: images of 1024 pixels a side"},
        {"height one row", patched(8, 1, true), Fault::DamagedImage,
         "damaged image data (size 16 x 0)"},
        {"depth 7", patched(14, 7, false), Fault::UnsupportedImage,
         "an image of a kind that is not read (7 bits per pixel)"},
        {"RLE", patched(16, 2, true), Fault::UnsupportedImage,
         "an image of a kind that is not read (compression 2 at 4 bits)"},
        {"header size huge", patched(0, 0xFFFFFFFFu, true), Fault::UnsupportedImage,
         "an image of a kind that is not read (bitmap header of 4294967295 bytes)"},
        {"header of 12 bytes", patched(0, 12, true), Fault::UnsupportedImage,
         "an image of a kind that is not read (bitmap header of 12 bytes)"},
        {"palette claims 4G colours", patched(32, 0x40000000u, true), Fault::DamagedImage,
         "damaged image data (colour table cut off)"},
        {"PNG signature only", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0},
         Fault::DamagedImage, "damaged image data (PNG: "},
    };
    for (const auto& c : cases) {
        const Result<Icon> icon = decodeIconImage(c.bytes);
        ASSERT_FALSE(icon) << c.name;
        EXPECT_EQ(icon.failure().fault, c.fault) << c.name;
        EXPECT_EQ(icon.failure().cap, c.fault == Fault::CapReached ? Cap::ImageSide : Cap::None)
            << c.name;
        EXPECT_EQ(icon.failure().message().rfind(c.message, 0), 0u)
            << c.name << ": " << icon.failure().message();
    }
}

TEST(HostileImages, PngBeyondTheSizeCapIsRefused) {
    Bytes png = pngImage(solidIcon(4, 4, 0xFF123456)).data;
    // IHDR width at 16, big-endian; the CRC is wrong too, but what it states is
    // past the cap before any of it is decoded, and that is what is told.
    png[16] = 0, png[17] = 0, png[18] = 0x20, png[19] = 0x00;
    const Result<Icon> icon = decodeIconImage(png);
    ASSERT_FALSE(icon);
    EXPECT_EQ(icon.failure().fault, Fault::CapReached);
    EXPECT_EQ(icon.failure().cap, Cap::ImageSide);
    EXPECT_EQ(icon.failure().message(), "stopped at a limit: images of 1024 pixels a side");
    EXPECT_EQ(pastImageCaps(png)->cap, Cap::ImageSide);
    // A header that cannot be read is damage, not a cap.
    png[12] = 'X';
    ASSERT_FALSE(decodeIconImage(png));
    EXPECT_EQ(decodeIconImage(png).failure().fault, Fault::DamagedImage);
    EXPECT_FALSE(pastImageCaps(png));
}

// A PNG of a few kilobytes can claim 4096 x 4096 pixels, and each load would
// then fill some 150 MB; icon images of either kind stop at the DIB cap.
TEST(HostileImages, PngIconsShareTheDibSizeCap) {
    EXPECT_EQ(decoded(pngImage(solidIcon(kMaxDibDimension, 1, 0xFF123456)).data).width,
              kMaxDibDimension);
    for (const Icon& picture :
         {solidIcon(kMaxDibDimension + 1, 1, 0xFF123456), solidIcon(1, kMaxDibDimension + 1, 0)}) {
        const Result<Icon> icon = decodeIconImage(pngImage(picture).data);
        ASSERT_FALSE(icon);
        EXPECT_EQ(icon.failure().cap, Cap::ImageSide) << icon.failure().message();
    }
}

TEST(HostileImages, ImagesOverTheLargestImageAreNotLookedAt) {
    Bytes huge(std::size_t(kMaxImageBytes) + 1, 0);
    const Bytes good = dibImage(patternIcon(16, 16, 16), 4).data;
    std::copy(good.begin(), good.end(), huge.begin());
    const Result<Icon> icon = decodeIconImage(huge);
    ASSERT_FALSE(icon);
    EXPECT_EQ(icon.failure().fault, Fault::CapReached);
    EXPECT_EQ(icon.failure().cap, Cap::ResourceBytes);
    EXPECT_TRUE(decodeIconImage(std::span(huge).first(std::size_t(kMaxImageBytes))));
}

TEST(StoredImageDepth, WhatTheHeaderOfADibOrAPngStates) {
    Bytes rgba = pngImage(patternIcon(8, 8)).data;
    auto withColourType = [&](int depth, int type) {
        Bytes b = rgba;
        b[24] = std::uint8_t(depth);
        b[25] = std::uint8_t(type);
        return b;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        std::optional<int> depth;
    };
    const std::vector<Case> cases = {
        {"DIB of 1 bit", dibImage(patternIcon(8, 8, 2), 1).data, 1},
        {"DIB of 8 bits", dibImage(patternIcon(8, 8, 200), 8).data, 8},
        {"DIB of 24 bits", dibImage(patternIcon(8, 8), 24).data, 24},
        {"PNG of RGBA", rgba, 32},
        {"PNG of 16-bit RGBA", withColourType(16, 6), 64},
        {"PNG of RGB", withColourType(8, 2), 24},
        {"PNG of a palette", withColourType(8, 3), 8},
        {"PNG of grey and alpha", withColourType(8, 4), 16},
        {"PNG of 4-bit grey", withColourType(4, 0), 4},
        {"PNG cut before its colour type", Bytes(rgba.begin(), rgba.begin() + 25), std::nullopt},
        {"DIB header too short", Bytes(15, 0), std::nullopt},
        {"not a DIB header", Bytes(40, 0), std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(storedImageDepth(c.bytes), c.depth) << c.name;
}

TEST(Resize, AreaAveragingWhenShrinking) {
    // 2x2 blocks: three red pixels and one blue.
    Icon big = solidIcon(4, 4, 0xFFFF0000);
    for (int y = 1; y < 4; y += 2)
        for (int x = 1; x < 4; x += 2) big.color[std::size_t(y) * 4 + x] = 0xFF0000FF;
    Icon small = resizeIcon(big, 2, 2);
    ASSERT_EQ(small.width, 2);
    EXPECT_EQ(small.pixel(0, 0), 0xFFBF0040u);
    EXPECT_EQ(small.pixel(1, 1), 0xFFBF0040u);
    Icon nearest = resizeIcon(big, 2, 2, ResizeFilter::Nearest);
    EXPECT_EQ(nearest.pixel(0, 0), 0xFFFF0000u);
}

TEST(Resize, MaskFollowsTheMajorityAndTransparentBlackDoesNotDarken) {
    Icon big = solidIcon(2, 2, 0xFFFFFFFF);
    big.color[0] = 0xFF000000;
    big.mask[0] = 1;  // one transparent pixel of four
    Icon one = resizeIcon(big, 1, 1);
    EXPECT_FALSE(one.maskBit(0, 0));
    EXPECT_EQ(one.pixel(0, 0), 0xFFFFFFFFu);
    big.mask = {1, 1, 1, 0};
    big.color = {0xFF000000, 0xFF000000, 0xFF000000, 0xFFFFFFFF};
    one = resizeIcon(big, 1, 1);
    EXPECT_TRUE(one.maskBit(0, 0));
    EXPECT_EQ(one.pixel(0, 0) & 0xFFFFFF, 0u);  // still transparent
}

TEST(Resize, AlphaIsAveragedPremultiplied) {
    Icon big = solidIcon(2, 1, 0);
    big.hasAlpha = true;
    big.color = {0xFFFF0000, 0x0000FF00};  // opaque red, fully transparent green
    big.mask = {0, 1};
    Icon one = resizeIcon(big, 1, 1);
    EXPECT_EQ(one.pixel(0, 0), 0x80FF0000u);  // half alpha, pure red
}

TEST(Resize, EnlargesAndKeepsTheSizeWhenAlreadyRight) {
    Icon icon = patternIcon(16, 16, 16);
    Icon same = resizeIcon(icon, 16, 16);
    EXPECT_EQ(same.color, icon.color);
    EXPECT_EQ(same.mask, icon.mask);
    Icon big = resizeIcon(icon, 32, 32);
    ASSERT_EQ(big.width, 32);
    EXPECT_EQ(big.pixel(2, 2), icon.pixel(1, 1));
    EXPECT_TRUE(big.maskBit(1, 5));
    EXPECT_TRUE(resizeIcon(Icon{}, 32, 32).empty());
    EXPECT_TRUE(resizeIcon(icon, 0, 32).empty());
}

// The area filter as it was first written, over doubles: the reference the
// whole-number filter is held to. `ties` marks the pixels whose mask is a tie
// (half the area masked), where rounding in the doubles decides.
Icon referenceAreaResize(const Icon& icon, int width, int height, std::vector<bool>& ties) {
    struct Span {
        int first = 0;
        std::vector<double> weights;
    };
    auto spans = [](int source, int target) {
        std::vector<Span> out(static_cast<std::size_t>(target));
        const double scale = double(source) / target;
        for (int d = 0; d < target; ++d) {
            double lo = d * scale, hi = (d + 1) * scale;
            int first = int(std::floor(lo));
            int last = std::min(source - 1, int(std::ceil(hi)) - 1);
            Span& s = out[std::size_t(d)];
            s.first = first;
            for (int i = first; i <= last; ++i) {
                double w = std::min(hi, double(i + 1)) - std::max(lo, double(i));
                s.weights.push_back(w > 0 ? w : 0);
            }
        }
        return out;
    };
    auto channel = [](std::uint32_t c, int shift) { return (c >> shift) & 0xFF; };
    auto to8 = [](double v) { return std::uint32_t(std::clamp(std::lround(v), 0L, 255L)); };
    Icon out;
    out.width = width, out.height = height, out.hasAlpha = icon.hasAlpha;
    out.color.assign(std::size_t(width) * height, 0);
    out.mask.assign(std::size_t(width) * height, 0);
    const auto xs = spans(icon.width, width), ys = spans(icon.height, height);
    ties.assign(out.color.size(), false);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Span &sy = ys[std::size_t(y)], &sx = xs[std::size_t(x)];
            double total = 0, masked = 0, alpha = 0;
            double shown[3] = {0, 0, 0}, hidden[3] = {0, 0, 0};
            for (std::size_t j = 0; j < sy.weights.size(); ++j)
                for (std::size_t i = 0; i < sx.weights.size(); ++i) {
                    double w = sy.weights[j] * sx.weights[i];
                    if (w <= 0) continue;
                    std::size_t si =
                        std::size_t(sy.first + int(j)) * icon.width + std::size_t(sx.first) + i;
                    std::uint32_t c = icon.color[si];
                    int m = icon.mask[si];
                    total += w;
                    if (m) masked += w;
                    if (icon.hasAlpha) {
                        double a = w * channel(c, 24);
                        alpha += a;
                        shown[0] += a * channel(c, 16), shown[1] += a * channel(c, 8),
                            shown[2] += a * channel(c, 0);
                    } else {
                        double* sum = m ? hidden : shown;
                        sum[0] += w * channel(c, 16), sum[1] += w * channel(c, 8),
                            sum[2] += w * channel(c, 0);
                    }
                }
            std::size_t di = std::size_t(y) * width + x;
            bool maskBit = masked * 2 > total;
            out.mask[di] = maskBit;
            ties[di] = std::abs(masked * 2 - total) < 1e-9 * total;
            if (icon.hasAlpha) {
                if (alpha > 0)
                    out.color[di] = (to8(alpha / total) << 24) | (to8(shown[0] / alpha) << 16) |
                                    (to8(shown[1] / alpha) << 8) | to8(shown[2] / alpha);
            } else {
                double weight = maskBit ? masked : total - masked;
                const double* sum = maskBit ? hidden : shown;
                out.color[di] = 0xFF000000u | (to8(sum[0] / weight) << 16) |
                                (to8(sum[1] / weight) << 8) | to8(sum[2] / weight);
            }
        }
    return out;
}

// A picture of noise: colours, alpha and mask from a fixed sequence; with
// `alphaEdges` the alpha is mostly 0 or 255, as icons' edges are.
Icon noiseIcon(int width, int height, bool hasAlpha, std::uint32_t seed, bool alphaEdges) {
    Icon icon;
    icon.width = width, icon.height = height, icon.hasAlpha = hasAlpha;
    std::uint32_t r = seed;
    auto next = [&r] {
        r = r * 1664525u + 1013904223u;
        return r >> 8;
    };
    for (int i = 0; i < width * height; ++i) {
        std::uint32_t c = next() & 0xFFFFFF;
        std::uint32_t a = next() & 0xFF;
        if (alphaEdges) a = a < 100 ? 0 : a < 200 ? 255 : a;
        icon.color.push_back(hasAlpha ? (a << 24) | c : 0xFF000000u | c);
        icon.mask.push_back(hasAlpha ? a == 0 : (next() & 3) == 0);
    }
    return icon;
}

// The whole-number filter gives what the filter over doubles gave, within one
// level of each channel and with the same mask, for pictures of every kind
// brought down and up to the sizes rows and pictures use, and to odd ones.
TEST(Resize, WholeNumberAreaFilterMatchesTheFilterOverDoubles) {
    struct Source {
        const char* name;
        Icon icon;
    };
    std::vector<Source> sources;
    for (int side : {1, 3, 16, 20, 24, 31, 32, 48, 64, 96, 128, 256})
        for (bool alpha : {false, true}) {
            sources.push_back({"noise", noiseIcon(side, side, alpha, std::uint32_t(side), false)});
            sources.push_back(
                {"edges", noiseIcon(side, side, alpha, std::uint32_t(side) * 7, true)});
        }
    sources.push_back({"pattern", fixtures::patternIcon(48, 48)});
    sources.push_back({"alpha pattern", fixtures::alphaPatternIcon(256, 256)});
    sources.push_back({"wide", noiseIcon(40, 12, true, 5, true)});
    int compared = 0, differing = 0, tied = 0;
    for (const Source& source : sources)
        for (const auto& [w, h] : std::vector<std::pair<int, int>>{
                 {16, 16}, {32, 32}, {1, 1}, {7, 5}, {20, 33}, {48, 48}}) {
            // A picture already of the size is copied, not filtered.
            if (w == source.icon.width && h == source.icon.height) continue;
            const Icon made = resizeIcon(source.icon, w, h);
            std::vector<bool> ties;
            const Icon reference = referenceAreaResize(source.icon, w, h, ties);
            const std::string what =
                std::string(source.name) + " " + std::to_string(source.icon.width) + "x" +
                std::to_string(source.icon.height) + " to " + std::to_string(w) + "x" +
                std::to_string(h) + (source.icon.hasAlpha ? " alpha" : "");
            ASSERT_EQ(made.width, w) << what;
            ASSERT_EQ(made.color.size(), reference.color.size()) << what;
            EXPECT_EQ(made.hasAlpha, reference.hasAlpha) << what;
            for (std::size_t i = 0; i < made.color.size(); ++i) {
                ++compared;
                // At a tie the mask stays clear (half is not more than half);
                // the doubles may land on either side.
                if (ties[i]) {
                    EXPECT_EQ(made.mask[i], 0) << what << " pixel " << i;
                    ++tied;
                    continue;
                }
                ASSERT_EQ(made.mask[i], reference.mask[i]) << what << " pixel " << i;
                const std::uint32_t a = made.color[i], b = reference.color[i];
                differing += a != b;
                for (int shift : {0, 8, 16, 24})
                    ASSERT_LE(std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)), 1)
                        << what << " pixel " << i << std::hex << ": " << a << " against " << b;
            }
        }
    // The two agree on most pixels: one level off is rounding at a half, which
    // pictures brought up meet often; a filter that rounds down would be off on
    // about half of them.
    EXPECT_LT(differing * 10, compared) << differing << " of " << compared;
    EXPECT_LT(tied * 10, compared) << tied << " of " << compared;
}

}  // namespace
}  // namespace pellimar
