// Pictures for high-density screens: drawn from an image of the screen's own pixel
// size, not by enlarging the 32 x 32 picture.
#include <gtest/gtest.h>

#include "core/icon_image.h"
#include "platform/image_choice.h"
#include "support/fixtures.h"

using namespace pellimar;
using namespace pellimar::fixtures;

TEST(PictureAtRatio, ASixtyFourPixelImageGivesTheThirtyTwoPixelPictureAtRatioTwo) {
    const Icon big = patternIcon(64, 64);
    const QImage picture = listPictureAtRatio(big, 32, 2.0);
    ASSERT_EQ(picture.size(), QSize(64, 64));
    EXPECT_EQ(picture.devicePixelRatio(), 2.0);
    EXPECT_EQ(picture.deviceIndependentSize(), QSizeF(32, 32));
    // Pixel for pixel the image itself.
    const QImage own = listPicture(big);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(picture.pixel(x, y), own.pixel(x, y)) << x << y;
}

TEST(PictureAtRatio, OtherSizesAndRatios) {
    const Icon small = patternIcon(32, 32, 16);
    // Ratio 1 (and anything below) is the ordinary picture.
    for (double r : {1.0, 0.5, 0.0}) {
        const QImage p = listPictureAtRatio(small, 32, r);
        EXPECT_EQ(p.size(), QSize(32, 32));
        EXPECT_EQ(p.devicePixelRatio(), 1.0);
        EXPECT_EQ(p, listPicture(small));
    }
    // A 256 px image is brought down to the 48 pixels of ratio 1.5.
    const QImage p = listPictureAtRatio(alphaPatternIcon(256, 256), 32, 1.5);
    EXPECT_EQ(p.size(), QSize(48, 48));
    EXPECT_EQ(p.devicePixelRatio(), 1.5);
    EXPECT_TRUE(listPictureAtRatio(Icon{}, 32, 2.0).isNull());
    EXPECT_EQ(pixelSizeAt(32, 2.0), 64);
    EXPECT_EQ(pixelSizeAt(32, 1.25), 40);
    EXPECT_EQ(pixelSizeAt(32, 1000.0), 256);  // bounded
}

// The image a high-density picture is drawn from: the smallest whose larger side
// is at least the pixels wanted, else the largest.
TEST(PictureAtRatio, TheImageOfAGroupForAPixelSize) {
    auto pick = [](std::vector<int> sides, int pixels) {
        std::vector<ImageFacts> facts;
        for (int side : sides) facts.push_back({side, side, 32});
        return chooseImage(facts, pixels, SizePolicy::SmallestAtLeast);
    };
    EXPECT_EQ(pick({16, 32, 48, 256}, 64), 3);
    EXPECT_EQ(pick({16, 32, 64, 48}, 64), 2);
    EXPECT_EQ(pick({16, 32, 48}, 64), 2);    // none large enough: the largest
    EXPECT_EQ(pick({256, 64, 128}, 48), 1);  // the smallest that is enough
    EXPECT_EQ(pick({32, 32}, 32), 0);
    EXPECT_EQ(pick({}, 64), -1);
    // A wide image counts by its larger side; of one size the deeper wins.
    EXPECT_EQ(chooseImage(std::vector<ImageFacts>{{32, 32, 32}, {64, 16, 32}}, 64,
                          SizePolicy::SmallestAtLeast),
              1);
    EXPECT_EQ(chooseImage(std::vector<ImageFacts>{{64, 64, 8}, {64, 64, 32}, {64, 64, 4}}, 64,
                          SizePolicy::SmallestAtLeast),
              1);
}

TEST(PictureAtRatio, ARowIsDrawnFromTheSharperImageAboveRatioOne) {
    const Icon row = patternIcon(32, 32, 16);
    const Icon sharper = alphaPatternIcon(64, 64);
    // At ratio 1 or below the sharper image is not looked at.
    for (double r : {1.0, 0.5}) EXPECT_EQ(rowPictureAtRatio(row, sharper, r), rowPicture(row));

    const QImage atTwo = rowPictureAtRatio(row, sharper, 2.0);
    ASSERT_EQ(atTwo.size(), QSize(64, 64));
    EXPECT_EQ(atTwo.devicePixelRatio(), 2.0);
    EXPECT_EQ(atTwo.convertToFormat(QImage::Format_ARGB32),
              listPicture(sharper).convertToFormat(QImage::Format_ARGB32));

    // Without a sharper image the row's own is enlarged; without either, an empty square.
    const QImage enlarged = rowPictureAtRatio(row, Icon{}, 2.0);
    EXPECT_EQ(enlarged.size(), QSize(64, 64));
    EXPECT_EQ(enlarged.deviceIndependentSize(), QSizeF(32, 32));
    const QImage empty = rowPictureAtRatio(Icon{}, Icon{}, 2.0);
    ASSERT_EQ(empty.size(), QSize(32, 32));
    EXPECT_EQ(qAlpha(empty.pixel(16, 16)), 0);
}
