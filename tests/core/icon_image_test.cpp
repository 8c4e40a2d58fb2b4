// The icon as Qt images: drawn by the mask rule, with alpha, and as the list shows it.
#include "core/icon_image.h"

#include <gtest/gtest.h>

#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

TEST(IconImage, DrawingFollowsTheMaskRuleAndAlpha) {
    Icon icon = solidIcon(4, 1, 0);
    icon.color = {0xFFFF0000, 0xFF000000, 0xFFFFFFFF, 0xFF00FF00};
    icon.mask = {0, 1, 1, 1};  // red, transparent, inverted, inverted
    QImage target(4, 1, QImage::Format_RGB32);
    target.fill(QColor(0x40, 0x80, 0xC0));
    drawIconOnImage(target, 0, 0, icon);
    EXPECT_EQ(target.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(target.pixel(1, 0) & 0xFFFFFF, 0x4080C0u);
    EXPECT_EQ(target.pixel(2, 0) & 0xFFFFFF, 0xBF7F3Fu);
    EXPECT_EQ(target.pixel(3, 0) & 0xFFFFFF, 0x407FC0u);

    Icon alpha = solidIcon(1, 1, 0x80FF0000);
    alpha.hasAlpha = true;
    QImage white(1, 1, QImage::Format_RGB32);
    white.fill(Qt::white);
    drawIconOnImage(white, 0, 0, alpha);
    EXPECT_EQ(white.pixel(0, 0) & 0xFFFFFF, 0xFF7F7Fu);
    QImage plain = iconToImage(icon);
    EXPECT_EQ(plain.format(), QImage::Format_ARGB32);
    EXPECT_EQ(plain.pixel(0, 0), 0xFFFF0000u);
    EXPECT_EQ(qAlpha(plain.pixel(1, 0)), 0);
    EXPECT_TRUE(iconToImage({}).isNull());
}

}  // namespace
}  // namespace pellimar
