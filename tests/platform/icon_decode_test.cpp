// Decoding stored icon images of every kind, choosing images for a size, resampling.
#include <gtest/gtest.h>

#include "platform/icon_decode.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

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
    Icon decoded = decodeIconImage(dibImage(picture, c.bits, options).data);
    EXPECT_EQ(decoded.bitCount, c.bits);
    EXPECT_FALSE(decoded.hasAlpha);
    expectSamePicture(picture, decoded);
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
    Icon decoded = decodeIconImage(dibImage(picture, 1).data);
    ASSERT_EQ(decoded.width, 4);
    EXPECT_FALSE(decoded.hasAlpha);
    EXPECT_EQ(decoded.color,
              (std::vector<std::uint32_t>{0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFFFFFFFF}));
    EXPECT_EQ(decoded.mask, (std::vector<std::uint8_t>{0, 0, 1, 1}));
}

TEST(DibDecode, ThirtyTwoBitAlphaIsKeptWithItsMask) {
    Icon picture = alphaPatternIcon(40, 5);
    Icon decoded = decodeIconImage(dibImage(picture, 32).data);
    EXPECT_TRUE(decoded.hasAlpha);
    expectSamePicture(picture, decoded);
}

TEST(DibDecode, ThirtyTwoBitWithAllAlphaZeroIsOpaqueWhereTheMaskSays) {
    Icon picture = patternIcon(8, 8);
    DibOptions options;
    options.zeroAlpha = true;
    Icon decoded = decodeIconImage(dibImage(picture, 32, options).data);
    EXPECT_FALSE(decoded.hasAlpha);
    expectSamePicture(picture, decoded);
    EXPECT_EQ(decoded.pixel(3, 3) >> 24, 0xFFu);
}

TEST(DibDecode, ThirtyTwoBitWithoutMaskTakesTheMaskFromAlpha) {
    Icon picture = alphaPatternIcon(32, 4);
    DibOptions options;
    options.withMask = false;
    Icon decoded = decodeIconImage(dibImage(picture, 32, options).data);
    ASSERT_TRUE(decoded.hasAlpha);
    EXPECT_TRUE(decoded.maskBit(0, 2));
    EXPECT_FALSE(decoded.maskBit(1, 2));
}

TEST(DibDecode, MissingMaskOfAnOpaqueImageMeansOpaque) {
    Icon picture = patternIcon(16, 16, 16);
    DibOptions options;
    options.withMask = false;
    Icon decoded = decodeIconImage(dibImage(picture, 4, options).data);
    ASSERT_FALSE(decoded.empty());
    EXPECT_FALSE(decoded.maskBit(0, 0));
}

TEST(PngDecode, DecodesLargePngWithMaskFollowingAlpha) {
    Icon picture = alphaPatternIcon(256, 256);
    Icon decoded = decodeIconImage(pngImage(picture).data);
    EXPECT_TRUE(decoded.hasAlpha);
    expectSamePicture(picture, decoded);
}

TEST(HostileImages, GiveAnEmptyIcon) {
    const Bytes good = dibImage(patternIcon(16, 16, 16), 4).data;
    auto patched = [&](std::size_t at, std::uint32_t value, bool wide) {
        Bytes b = good;
        wide ? put32(b, at, value) : put16(b, at, std::uint16_t(value));
        return b;
    };
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"empty", {}},
        {"header only", Bytes(good.begin(), good.begin() + 40)},
        {"colour rows cut", Bytes(good.begin(), good.begin() + 40 + 64 + 50)},
        {"width too large", patched(4, 5000, true)},
        {"width negative", patched(4, 0xFFFFFFF0u, true)},
        {"height 4 GB", patched(8, 0x80000000u, true)},
        {"height huge", patched(8, 0x7FFFFFFFu, true)},
        {"height one row", patched(8, 1, true)},
        {"depth 7", patched(14, 7, false)},
        {"RLE", patched(16, 2, true)},
        {"header size huge", patched(0, 0xFFFFFFFFu, true)},
        {"palette claims 4G colours", patched(32, 0x40000000u, true)},
        {"PNG signature only", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0}},
    };
    for (const auto& [name, bytes] : cases) EXPECT_TRUE(decodeIconImage(bytes).empty()) << name;
}

TEST(HostileImages, PngBeyondTheSizeCapIsRefused) {
    Bytes png = pngImage(solidIcon(4, 4, 0xFF123456)).data;
    // IHDR width at 16, big-endian; the CRC is wrong too, either way it must be refused.
    png[16] = 0, png[17] = 0, png[18] = 0x20, png[19] = 0x00;
    EXPECT_TRUE(decodeIconImage(png).empty());
}

// A PNG of a few kilobytes can claim 4096 x 4096 pixels, and each load would
// then fill some 150 MB; icon images of either kind stop at the DIB cap.
TEST(HostileImages, PngIconsShareTheDibSizeCap) {
    EXPECT_EQ(decodeIconImage(pngImage(solidIcon(kMaxDibDimension, 1, 0xFF123456)).data).width,
              kMaxDibDimension);
    EXPECT_TRUE(
        decodeIconImage(pngImage(solidIcon(kMaxDibDimension + 1, 1, 0xFF123456)).data).empty());
    EXPECT_TRUE(
        decodeIconImage(pngImage(solidIcon(1, kMaxDibDimension + 1, 0xFF123456)).data).empty());
}

IconDirEntry entry(int w, int h, int bits) {
    IconDirEntry e;
    e.width = std::uint8_t(w);
    e.height = std::uint8_t(h);
    e.bitCount = std::uint16_t(bits);
    return e;
}

TEST(PickImage, NearestSizeThenBitCountNearest32ThenFirst) {
    struct Case {
        const char* name;
        std::vector<IconDirEntry> entries;
        int size;
        int expected;
    };
    const std::vector<Case> cases = {
        {"exact size wins", {entry(48, 48, 32), entry(32, 32, 4), entry(16, 16, 32)}, 32, 1},
        {"deeper image at same size",
         {entry(32, 32, 4), entry(32, 32, 8), entry(32, 32, 32)},
         32,
         2},
        {"first of equals", {entry(32, 32, 8), entry(32, 32, 8)}, 32, 0},
        {"missing size: nearer one", {entry(48, 48, 32), entry(24, 24, 32)}, 32, 1},
        {"missing size: tie broken by depth", {entry(48, 48, 8), entry(16, 16, 32)}, 32, 1},
        {"stored 0 is 256", {entry(0, 0, 32), entry(128, 128, 32)}, 256, 0},
        {"stored 0 is not 0", {entry(0, 0, 32), entry(16, 16, 4)}, 16, 1},
        {"48 bits is as far as 16", {entry(32, 32, 48), entry(32, 32, 16)}, 32, 0},
        {"small icon", {entry(32, 32, 32), entry(16, 16, 8)}, 16, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pickImageForSize(c.entries, c.size), c.expected) << c.name;
    EXPECT_EQ(pickImageForSize({}, 32), -1);
}

TEST(PickImage, ZeroBitCountIsTakenFromTheColourCount) {
    IconDirEntry sixteen = entry(32, 32, 0);
    sixteen.colorCount = 16;
    IconDirEntry two = entry(32, 32, 0);
    two.colorCount = 2;
    EXPECT_EQ(sixteen.statedBitCount(), 4);
    EXPECT_EQ(two.statedBitCount(), 1);
    std::vector<IconDirEntry> entries = {two, sixteen};
    EXPECT_EQ(pickImageForSize(entries, 32), 1);
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

}  // namespace
}  // namespace pellimar
