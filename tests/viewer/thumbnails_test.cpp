#include "viewer/thumbnails.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPainter>
#include <QStyleOptionViewItem>

#include "support/fixtures.h"

namespace pellimar {
namespace {

using namespace fixtures;

TEST(ThumbnailGeometry, FittingNeverEnlargesAndKeepsTheRatio) {
    struct Case {
        int iw, ih, W, H, dw, dh;
    } cases[] = {
        {32, 32, 139, 50, 32, 32},     // small picture: drawn as it is
        {200, 100, 100, 80, 100, 50},  // rx 2 > ry 1.25: width fills
        {200, 160, 100, 80, 100, 80},  // equal ratios: taken from the height ratio
        {100, 80, 100, 80, 100, 80},   // exact fit
        {50, 300, 100, 80, 13, 80},    // tall: trunc(50 / 3.75)
        {0, 0, 100, 80, 0, 0},         // empty picture
        {32, 32, 0, 80, 0, 0},         // no area
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fitThumbnailPicture(QSize(c.iw, c.ih), QSize(c.W, c.H)), QSize(c.dw, c.dh))
            << c.iw << "x" << c.ih << " in " << c.W << "x" << c.H;
    }
}

TEST(ThumbnailGeometry, PictureAreaLosesTheInsetAndTheCaptionBand) {
    EXPECT_EQ(thumbnailPictureArea(QRect(0, 0, 143, 64), 10), QRect(2, 2, 139, 50));
    EXPECT_EQ(thumbnailPictureArea(QRect(10, 64, 143, 64), 0), QRect(12, 66, 139, 60));
    EXPECT_TRUE(thumbnailPictureArea(QRect(0, 0, 64, 14), 12).isEmpty());
}

TEST(ThumbnailPictures, AreTheImageDrawnOnBlackByTheDesktopsRule) {
    Icon icon = alphaPatternIcon(8, 8);
    // Transparent pixels that store white, as some writers leave them.
    for (int y = 0; y < 8; ++y) icon.color[std::size_t(y) * 8] = 0x00FFFFFF;
    const QImage picture = thumbnailPicture(icon, QSize(100, 50), 1.0);
    ASSERT_EQ(picture.size(), QSize(8, 8));
    EXPECT_EQ(picture.pixel(0, 3), 0xFF000000u);  // the black shows through
    // Half-transparent pixels are blended onto the black.
    const std::uint32_t stored = icon.pixel(5, 2);
    const int alpha = int(stored >> 24);
    ASSERT_LT(alpha, 255);
    EXPECT_NEAR(qRed(picture.pixel(5, 2)), int((stored >> 16) & 0xFF) * alpha / 255, 1);
    EXPECT_NEAR(qGreen(picture.pixel(5, 2)), int((stored >> 8) & 0xFF) * alpha / 255, 1);

    // A masked pixel over a colour inverts the black: it shows its colour.
    Icon inverting = patternIcon(8, 8, 16);
    inverting.mask[2 * 8 + 3] = 1;
    EXPECT_EQ(thumbnailPicture(inverting, QSize(100, 50), 1.0).pixel(3, 2),
              inverting.pixel(3, 2) | 0xFF000000u);
    EXPECT_TRUE(thumbnailPicture(Icon{}, QSize(100, 50), 1.0).isNull());
}

TEST(ThumbnailPictures, LargeImagesShrinkIntoTheAreaWithAsManyPixelsAsTheScreenHas) {
    const QSize area(137, 49);
    const Icon big = patternIcon(256, 256);
    const QImage atOne = thumbnailPicture(big, area, 1.0);
    EXPECT_EQ(atOne.size(), QSize(49, 49));
    EXPECT_EQ(atOne.devicePixelRatio(), 1.0);
    const QImage atTwo = thumbnailPicture(big, area, 2.0);
    EXPECT_EQ(atTwo.size(), QSize(98, 98));
    EXPECT_EQ(atTwo.deviceIndependentSize(), QSizeF(49, 49));
    EXPECT_EQ(thumbnailPicture(patternIcon(200, 16), QSize(100, 49), 1.0).size(), QSize(100, 8));

    // Brought to a size that is no whole multiple of its own, an image is smoothed:
    // a checkerboard of red and white shows shades between them.
    Icon checker = solidIcon(32, 32, 0xFFFF0000);
    for (std::size_t i = 0; i < checker.color.size(); ++i)
        if ((i + i / 32) % 2) checker.color[i] = 0xFFFFFFFF;
    const QImage smoothed = thumbnailPicture(checker, area, 1.5);
    ASSERT_EQ(smoothed.size(), QSize(48, 48));
    bool between = false;
    for (int x = 0; x < 48; ++x)
        between = between ||
                  (smoothed.pixel(x, 10) != 0xFFFF0000u && smoothed.pixel(x, 10) != 0xFFFFFFFFu);
    EXPECT_TRUE(between);

    // A small image on a dense screen keeps its square pixels: each is two by two.
    const Icon small = patternIcon(16, 16);
    const QImage doubled = thumbnailPicture(small, area, 2.0);
    ASSERT_EQ(doubled.size(), QSize(32, 32));
    EXPECT_EQ(doubled.deviceIndependentSize(), QSizeF(16, 16));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(doubled.pixel(x, y), small.pixel(x / 2, y / 2) | 0xFF000000u)
                << x << "," << y;
}

// One cell of a thumbnail list as the viewer sets it up: a 32 x 32 red picture
// captioned "32*32 XPcolors".
struct ThumbnailCell : ::testing::Test {
    QListWidget list;
    void SetUp() override {
        setUpThumbnailList(list);
        list.resize(143, 300);
        QImage red(32, 32, QImage::Format_RGB32);
        red.fill(Qt::red);
        auto* item = new QListWidgetItem("32*32 XPcolors", &list);
        item->setData(Qt::DecorationRole, red);
        new QListWidgetItem("no picture", &list);
    }
    // The cell drawn `top` pixels down a canvas 4 pixels higher than it, with
    // `ratio` canvas pixels to each of the cell's.
    QImage paint(int row, QStyle::State state = QStyle::State_Enabled, int ratio = 1, int top = 0) {
        QStyleOptionViewItem option;
        option.rect = QRect(0, top, 143, kThumbnailCellHeight);
        option.font = list.font();
        option.palette = list.palette();
        option.state = state;
        option.widget = &list;
        QImage canvas(QSize(143, kThumbnailCellHeight + 4) * ratio, QImage::Format_RGB32);
        canvas.setDevicePixelRatio(ratio);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        list.itemDelegate()->paint(&painter, option, list.model()->index(row, 0));
        return canvas;
    }
    // Whether any pixel of `r` in `cell` is not black.
    static bool inked(const QImage& cell, const QRect& r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (cell.pixel(x, y) != 0xFF000000u) return true;
        return false;
    }
};

TEST_F(ThumbnailCell, PictureIsDrawnUnscaledAndCentredAboveItsCaption) {
    const QImage cell = paint(0);
    const int caption = QFontMetrics(list.font()).height();
    const int areaHeight = 60 - caption;
    const QRect picture(2 + (139 - 32) / 2, 2 + (areaHeight - 32) / 2, 32, 32);
    EXPECT_EQ(QColor(cell.pixel(picture.topLeft())), QColor(Qt::red));
    EXPECT_EQ(QColor(cell.pixel(picture.bottomRight())), QColor(Qt::red));
    EXPECT_EQ(cell.pixel(picture.left() - 1, picture.top()), 0xFF000000u);
    EXPECT_EQ(cell.pixel(picture.right() + 1, picture.bottom()), 0xFF000000u);
    EXPECT_TRUE(inked(cell, QRect(2, 2 + areaHeight, 139, caption)));  // the caption
    EXPECT_FALSE(inked(cell, QRect(0, 0, 143, 2)));

    // A cell without a picture has its caption only.
    const QImage empty = paint(1);
    EXPECT_FALSE(inked(empty, QRect(2, 2, 139, areaHeight)));
    EXPECT_TRUE(inked(empty, QRect(2, 2 + areaHeight, 139, caption)));
}

TEST_F(ThumbnailCell, SelectionDoesNotShowAndTheFocusedCellIsFramed) {
    const QImage plain = paint(0);
    EXPECT_EQ(paint(0, QStyle::State_Enabled | QStyle::State_Selected), plain);
    const QImage focused = paint(0, QStyle::State_Enabled | QStyle::State_HasFocus);
    int dots = 0;
    for (int x = 0; x < 143; ++x) dots += focused.pixel(x, 0) != 0xFF000000u;
    EXPECT_GT(dots, 20);  // a dotted line along the top edge
    EXPECT_LT(dots, 143);
    EXPECT_EQ(focused.pixel(2, 2), 0xFF000000u);
    // At any density the frame stays inside its cell: a cell drawn again alone
    // leaves nothing of it on the next.
    const QImage dense = paint(0, QStyle::State_Enabled | QStyle::State_HasFocus, 2, 2);
    EXPECT_FALSE(inked(dense, QRect(0, 0, 2 * 143, 4)));
    EXPECT_FALSE(inked(dense, QRect(0, 4 + 2 * kThumbnailCellHeight, 2 * 143, 4)));
    EXPECT_TRUE(inked(dense, QRect(0, 4, 2 * 143, 2)));
}

}  // namespace
}  // namespace pellimar
