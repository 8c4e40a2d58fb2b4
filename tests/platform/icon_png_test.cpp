#include "platform/icon_png.h"

#include <gtest/gtest.h>

#include "platform/icon_set.h"
#include "platform/image_choice.h"
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
    const auto none = iconToPng(Icon{});
    ASSERT_FALSE(none);
    EXPECT_EQ(none.failure().fault, Fault::CannotEncode);
}

TEST(IconToPng, DecodesToTheSamePixels) {
    const Icon icon = alphaPatternIcon(33, 17);
    const auto png = iconToPng(icon);
    ASSERT_TRUE(png);
    const auto back = decodePng(*png);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->rgba, iconToRgba(icon).rgba);
}

// The pictures handed out: the smallest image at least as large as the picture,
// else the largest, the deepest of one size, images that do not decode passed
// over; then brought within the picture size.
TEST(HandedOutPicture, SmallestAtLeastThenWithinThePictureSize) {
    IconImage broken = pngImage(patternIcon(256, 256));
    broken.data.resize(40);  // cut off: does not decode
    const Bytes pe = makePe(
        {{{dibImage(patternIcon(32, 32, 16), 4), broken, dibImage(patternIcon(48, 48, 16), 4),
           dibImage(patternIcon(48, 48), 32), dibImage(patternIcon(16, 16), 8)}},
         {{}}});
    auto set = IconSet::read(ByteSource(pe));
    ASSERT_TRUE(set);
    const Result<Icon> largest =
        chosenImage(*set, ResourceKind::Icon, 0, kMaxPictureSize, SizePolicy::SmallestAtLeast);
    ASSERT_TRUE(largest);
    EXPECT_EQ(largest->width, 48);
    EXPECT_EQ(largest->bitCount, 32);
    EXPECT_EQ(withinPictureSize(*largest).width, 48);

    const Result<Icon> forty =
        chosenImage(*set, ResourceKind::Icon, 0, 40, SizePolicy::SmallestAtLeast);
    ASSERT_TRUE(forty);
    EXPECT_EQ(forty->width, 48);
    const Icon within = withinPictureSize(*forty, 40);
    EXPECT_EQ(within.width, 40);
    EXPECT_EQ(within.height, 40);
    EXPECT_EQ(within.bitCount, 32);

    EXPECT_EQ(
        chosenImage(*set, ResourceKind::Icon, 1, 256, SizePolicy::SmallestAtLeast).failure().fault,
        Fault::NoImage);
    EXPECT_EQ(
        chosenImage(*set, ResourceKind::Icon, 7, 256, SizePolicy::SmallestAtLeast).failure().fault,
        Fault::NoSuchIcon);
}

TEST(WithinPictureSize, BringsLargerPicturesDownInTheirShape) {
    struct Case {
        int width, height, maxSize;
        int expectedWidth, expectedHeight;
    };
    const std::vector<Case> cases = {
        {512, 256, 256, 256, 128}, {256, 512, 256, 128, 256}, {300, 2, 256, 256, 1},
        {1024, 1024, 32, 32, 32},  {256, 256, 256, 256, 256}, {16, 48, 256, 16, 48},
        {64, 64, 0, 64, 64},  // no size to bring it to: left as it is
    };
    for (const Case& c : cases) {
        const Icon out = withinPictureSize(patternIcon(c.width, c.height), c.maxSize);
        EXPECT_EQ(out.width, c.expectedWidth) << c.width << "x" << c.height << " in " << c.maxSize;
        EXPECT_EQ(out.height, c.expectedHeight)
            << c.width << "x" << c.height << " in " << c.maxSize;
    }
    const Icon small = alphaPatternIcon(40, 20);
    const Icon same = withinPictureSize(small);
    EXPECT_EQ(same.color, small.color);
    EXPECT_EQ(same.mask, small.mask);
    EXPECT_TRUE(same.hasAlpha);
    EXPECT_TRUE(withinPictureSize(Icon{}).empty());
}

TEST(PngHeader, SizeAndBitsPerPixelFromTheHeaderAlone) {
    Bytes png = pngImage(patternIcon(48, 20)).data;
    auto header = readPngHeader(png);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->width, 48);
    EXPECT_EQ(header->height, 20);
    EXPECT_EQ(header->bitsPerPixel, 32);
    png.resize(33);  // the image data is not looked at
    EXPECT_TRUE(readPngHeader(png));
    EXPECT_FALSE(readPngHeader(png, 40));  // wider than allowed
    Bytes bad = png;
    bad[8 + 8 + 9] = 3;  // colour type 3 (palette) at depth 8: 8 bits a pixel
    EXPECT_EQ(readPngHeader(bad)->bitsPerPixel, 8);
    bad[8 + 8 + 9] = 5;  // no such colour type
    EXPECT_FALSE(readPngHeader(bad));
    bad = png;
    bad[8 + 8 + 8] = 3;  // no such depth
    EXPECT_FALSE(readPngHeader(bad));
    bad = png;
    put32(bad, 8 + 8, 0);  // width 0
    EXPECT_FALSE(readPngHeader(bad));
    bad = png;
    bad[12] = 'X';  // not an IHDR chunk
    EXPECT_FALSE(readPngHeader(bad));
    EXPECT_FALSE(readPngHeader(Bytes(png.begin(), png.begin() + 28)));  // cut off
}

TEST(PngDecode, SaysWhyADamagedPngCannotBeRead) {
    const Bytes png = pngImage(patternIcon(16, 16)).data;
    std::string why;
    EXPECT_TRUE(decodePng(png, kMaxPngDimension, &why));
    EXPECT_TRUE(why.empty());
    EXPECT_FALSE(decodePng(Bytes(png.begin(), png.begin() + 60), kMaxPngDimension, &why));
    EXPECT_FALSE(why.empty());
    why.clear();
    EXPECT_FALSE(decodePng(png, 8, &why));  // larger than allowed
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(decodePng(Bytes(png.begin(), png.begin() + 60)));  // no reason asked for
}

}  // namespace
}  // namespace pellimar
