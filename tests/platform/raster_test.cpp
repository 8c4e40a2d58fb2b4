#include "platform/raster.h"

#include <gtest/gtest.h>

using namespace pellimar;

namespace {

Icon solidIcon(int w, int h, std::uint32_t argb, bool alpha, std::uint8_t mask = 0) {
    Icon icon;
    icon.width = w;
    icon.height = h;
    icon.color.assign(std::size_t(w) * h, argb);
    icon.mask.assign(std::size_t(w) * h, mask);
    icon.hasAlpha = alpha;
    return icon;
}

}  // namespace

TEST(Raster, AlphaIconsBlendOverWhite) {
    RgbImage img = whiteImage(2, 1);
    Icon icon = solidIcon(2, 1, 0x00000000, true);
    icon.color[0] = 0xFF102030;  // opaque
    icon.color[1] = 0x80000000;  // half-transparent black
    drawIcon(img, icon);
    EXPECT_EQ(img.at(0, 0), 0x102030u);
    EXPECT_EQ(img.at(1, 0), 0x7F7F7Fu);
}

TEST(Raster, MaskedIconsFollowAndThenXor) {
    // Mask 0 paints, mask 1 with black is transparent, mask 1 with colour inverts.
    RgbImage img = whiteImage(3, 1);
    img.pixels[2] = 0x00FF00;
    Icon icon = solidIcon(3, 1, 0, false);
    icon.color = {0x123456, 0x000000, 0xFFFFFF};
    icon.mask = {0, 1, 1};
    drawIcon(img, icon);
    EXPECT_EQ(img.at(0, 0), 0x123456u);
    EXPECT_EQ(img.at(1, 0), 0xFFFFFFu);
    EXPECT_EQ(img.at(2, 0), 0xFF00FFu);
}

TEST(Raster, DrawingIsClippedToThePicture) {
    RgbImage img = whiteImage(4, 4);
    Icon big = solidIcon(8, 8, 0xFF000000, true);
    drawIcon(img, big, 2, 2);
    EXPECT_EQ(img.at(1, 1), 0xFFFFFFu);
    EXPECT_EQ(img.at(3, 3), 0u);
    drawIcon(img, big, -10, -10);  // entirely outside: nothing happens
    EXPECT_EQ(img.at(0, 0), 0xFFFFFFu);
}

TEST(Raster, HalvingKeepsEverySecondRowAndColumn) {
    RgbImage src = whiteImage(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            src.pixels[std::size_t(y) * 32 + x] = std::uint32_t(y << 8 | x);
    RgbImage half = stretchNearest(src, 16, 16);
    ASSERT_EQ(half.width, 16);
    ASSERT_EQ(half.height, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) EXPECT_EQ(half.at(x, y), std::uint32_t(2 * y << 8 | 2 * x));
    EXPECT_TRUE(stretchNearest(src, 0, 16).empty());
}
