#include "platform/icon_png.h"

#include <gtest/gtest.h>

#include "platform/icon_resources.h"
#include "platform/png_codec.h"
#include "support/fixtures.h"

namespace pellimar {
namespace {
using namespace fixtures;

TEST(IconToRgba, MaskGivesTransparencyAndAlphaIsKept) {
    Icon icon = patternIcon(4, 2);
    icon.color[1] = 0xFFFFFFFF;  // mask 1 over white would invert: left out
    icon.mask[1] = 1;
    const RgbaImage rgba = iconToRgba(icon);
    ASSERT_EQ(rgba.width, 4);
    const auto px = [&](int i) {
        return std::vector<int>(rgba.rgba.begin() + i * 4, rgba.rgba.begin() + i * 4 + 4);
    };
    EXPECT_EQ(px(0), (std::vector<int>{0, 0, 0, 0}));  // first column: masked
    EXPECT_EQ(px(1), (std::vector<int>{0, 0, 0, 0}));
    const std::uint32_t c = icon.color[2];
    EXPECT_EQ(px(2), (std::vector<int>{int(c >> 16 & 255), int(c >> 8 & 255), int(c & 255), 255}));

    const Icon alpha = alphaPatternIcon(40, 1);
    const RgbaImage a = iconToRgba(alpha);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(a.rgba[std::size_t(x) * 4 + 3], alpha.color[x] >> 24);

    EXPECT_EQ(iconToRgba(Icon{}).width, 0);
    Icon shortColour = patternIcon(4, 4);
    shortColour.color.resize(3);
    EXPECT_EQ(iconToRgba(shortColour).width, 0);
    EXPECT_FALSE(iconToPng(Icon{}));
}

TEST(IconToPng, DecodesToTheSamePixels) {
    const Icon icon = alphaPatternIcon(33, 17);
    const auto png = iconToPng(icon);
    ASSERT_TRUE(png);
    const auto back = decodePng(*png);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rgba, iconToRgba(icon).rgba);
}

TEST(LargestIconImage, TakesTheLargestThenTheDeepestAndPassesOverDamage) {
    IconImage broken = pngImage(patternIcon(256, 256));
    broken.data.resize(40);  // cut off: does not decode
    const Bytes pe = makePe(
        {{{dibImage(patternIcon(32, 32, 16), 4), broken, dibImage(patternIcon(48, 48, 16), 4),
           dibImage(patternIcon(48, 48), 32), dibImage(patternIcon(16, 16), 8)}},
         {{}}});
    const IconResources resources(pe);
    const Icon largest = largestIconImage(resources, 0);
    EXPECT_EQ(largest.width, 48);
    EXPECT_EQ(largest.bitCount, 32);
    EXPECT_EQ(largestIconImage(resources, 0, 40).width, 32);
    EXPECT_TRUE(largestIconImage(resources, 1).empty());
    EXPECT_TRUE(largestIconImage(resources, 7).empty());
    EXPECT_TRUE(largestIconImage(resources, 0, 0).empty());
}

}  // namespace
}  // namespace pellimar
