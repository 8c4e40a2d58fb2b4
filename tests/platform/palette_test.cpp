#include "platform/palette.h"

#include <gtest/gtest.h>

#include <set>

#include "support/colour_error.h"

using namespace pellimar;
using test::meanColorError;
using test::toFixedPalette256;

TEST(Palette, SixteenStandardColoursExactly) {
    std::set<std::uint32_t> expected = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00,
                                        0x00FFFF, 0xFF00FF, 0x808080, 0xC0C0C0, 0x800000, 0x008000,
                                        0x000080, 0x808000, 0x008080, 0x800080};
    std::set<std::uint32_t> got(standardColors().begin(), standardColors().end());
    EXPECT_EQ(got, expected);
    EXPECT_TRUE(isStandardColor(0x808080));
    EXPECT_TRUE(isStandardColor(0xC0C0C0));
    EXPECT_TRUE(isStandardColor(0xFF808080));  // the top byte does not count
    EXPECT_FALSE(isStandardColor(0x7F7F7F));
    EXPECT_FALSE(isStandardColor(0xC0C0C1));
    EXPECT_FALSE(isStandardColor(0xFF8000));
}

TEST(Palette, StandardMappingIsExactForStandardPixels) {
    RgbImage img = whiteImage(16, 1);
    for (int i = 0; i < 16; ++i) img.pixels[i] = standardColors()[15 - i];
    IndexedImage out = toStandardColors(img);
    ASSERT_EQ(out.palette.size(), 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out.palette[out.indices[i]], img.at(i, 0));
    EXPECT_EQ(meanColorError(img, out), 0.0);
}

TEST(Palette, AdaptiveKeepsFewColoursExactly) {
    RgbImage img = whiteImage(10, 10);
    for (int i = 0; i < 100; ++i) img.pixels[i] = std::uint32_t(i * 0x020301);
    IndexedImage out = toAdaptivePalette(img);
    EXPECT_LE(out.palette.size(), 256u);
    EXPECT_EQ(meanColorError(img, out), 0.0);
}

TEST(Palette, AdaptiveBeatsTheFixedPaletteOnAGradientAndKeepsBlack) {
    RgbImage img = whiteImage(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            img.pixels[std::size_t(y) * 64 + x] =
                std::uint32_t((x * 4) << 16 | (y * 4) << 8 | ((x + y) * 2));
    img.pixels[5] = 0;  // pure black must survive exactly
    IndexedImage adaptive = toAdaptivePalette(img);
    IndexedImage fixed = toFixedPalette256(img);
    ASSERT_EQ(adaptive.palette.size(), 256u);
    ASSERT_EQ(fixed.palette.size(), 256u);
    EXPECT_EQ(adaptive.palette[adaptive.indices[5]], 0u);
    double a = meanColorError(img, adaptive), f = meanColorError(img, fixed);
    EXPECT_GT(a, 0.0);
    EXPECT_LT(a, f * 0.7);
}

TEST(Palette, ErrorSkipsMaskedPixels) {
    RgbImage img = whiteImage(2, 1);
    img.pixels = {0x000000, 0x123456};
    IndexedImage reduced{2, 1, {0x000000}, {0, 0}};
    EXPECT_GT(meanColorError(img, reduced), 0.0);
    EXPECT_EQ(meanColorError(img, reduced, {0, 1}), 0.0);
}
