#include "viewer/thumbnail_list.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QTemporaryDir>

namespace pellimar {
namespace {

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
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fitThumbnailPicture(c.iw, c.ih, c.W, c.H), QSize(c.dw, c.dh))
            << c.iw << "x" << c.ih << " in " << c.W << "x" << c.H;
    }
}

TEST(ThumbnailGeometry, PictureAreaLosesTheInsetAndTheCaptionBand) {
    // A 64-high cell of a one-column list 143 wide, captions 10 pixels high.
    ThumbnailCellGeometry g = layoutThumbnailCell(QRect(0, 0, 143, 64), true, 10, 32, 32);
    EXPECT_EQ(g.content, QRect(2, 2, 139, 60));
    EXPECT_EQ(g.pictureArea, QRect(2, 2, 139, 50));
    EXPECT_EQ(g.captionBand, QRect(2, 52, 139, 10));
    EXPECT_EQ(g.picture, QRect(2 + (139 - 32) / 2, 2 + (50 - 32) / 2, 32, 32));  // 55, 11

    // A 200 x 100 picture in a 100 x 80 area lands 15 pixels below the area's top.
    g = layoutThumbnailCell(QRect(10, 20, 104, 84), false, 99, 200, 100);
    EXPECT_EQ(g.pictureArea, QRect(12, 22, 100, 80));
    EXPECT_EQ(g.picture, QRect(12, 22 + 15, 100, 50));

    // Odd leftovers are halved rounding down.
    g = layoutThumbnailCell(QRect(0, 0, 15, 15), false, 0, 2, 2);
    EXPECT_EQ(g.picture.topLeft(), QPoint(2 + 4, 2 + 4));

    // Captions on but empty: the band is taken all the same (layout does not look at text).
    g = layoutThumbnailCell(QRect(0, 0, 64, 64), true, 12, 10, 10);
    EXPECT_EQ(g.pictureArea.height(), 60 - 12);
    // Area gone: nothing drawn.
    g = layoutThumbnailCell(QRect(0, 0, 64, 14), true, 12, 10, 10);
    EXPECT_TRUE(g.picture.isEmpty());
}

TEST(ThumbnailGeometry, ResizeRules) {
    EXPECT_EQ(columnsAfterResize(200, 64, 2), 3);
    EXPECT_EQ(columnsAfterResize(50, 64, 2), 2);   // no whole column fits: unchanged
    EXPECT_EQ(columnsAfterResize(500, 64, 0), 0);  // single-column lists stay so
    EXPECT_EQ(horizontalItemHeight(100, 16, 1), 80);
}

TEST(ThumbnailCollection, LiveCountSizesTheListAndNeverGoesNegative) {
    ThumbnailList list;
    ThumbnailCollection& t = list.thumbnails();
    t.add();
    t.add();
    EXPECT_EQ(t.liveCount(), 2);
    EXPECT_EQ(list.count(), 2);
    t.remove(1);
    t.remove(0);
    EXPECT_EQ(t.liveCount(), 0);
    EXPECT_EQ(list.count(), 0);
    t.noteRemoved();
    EXPECT_EQ(t.liveCount(), 0);

    ThumbnailCollection loose;  // a collection without a list
    loose.noteRemoved();
    EXPECT_EQ(loose.liveCount(), 0);
}

TEST(ThumbnailCollection, AssigningCopiesItemsIntoTheOwnedCollection) {
    ThumbnailCollection other;
    Thumbnail* a = other.add();
    a->setCaption("one");
    a->setFileName("/x/one.bmp");
    a->setSource(ThumbnailSource::File);
    a->setTag(7);
    other.add()->setCaption("two");
    ThumbnailList list;
    list.thumbnails().add();
    list.setThumbnails(other);
    ASSERT_EQ(list.thumbnails().count(), 2);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.thumbnails().at(0)->fileName(), "/x/one.bmp");
    EXPECT_EQ(list.thumbnails().at(0)->source(), ThumbnailSource::File);
    EXPECT_EQ(list.thumbnails().at(0)->tag(), 7);
    EXPECT_EQ(list.thumbnails().at(1)->caption(), "two");
}

TEST(ThumbnailListLayout, OrientationSwitchAndBack) {
    ThumbnailList list;
    list.resize(300, 100);
    for (int i = 0; i < 5; ++i) list.thumbnails().add();
    EXPECT_EQ(list.columns(), 0);
    EXPECT_EQ(list.itemHeight(), 64);

    list.setOrientation(ThumbnailOrientation::Horizontal);
    EXPECT_EQ(list.columns(), 5);
    EXPECT_EQ(list.columnWidth(), 64);
    const int sb = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
    EXPECT_EQ(list.itemHeight(), 100 - sb - 4);
    // One row: every cell starts at the same height.
    list.doItemsLayout();
    EXPECT_EQ(list.visualItemRect(list.item(4)).top(), list.visualItemRect(list.item(0)).top());
    EXPECT_GT(list.visualItemRect(list.item(4)).left(), list.visualItemRect(list.item(0)).left());

    list.setOrientation(ThumbnailOrientation::Vertical);
    EXPECT_EQ(list.itemHeight(), 64);
    EXPECT_EQ(list.columns(), 5);  // left as it was
}

TEST(ThumbnailListLayout, MultiColumnVerticalListKeepsWholeColumnsOnResize) {
    ThumbnailList list;
    list.resize(150, 300);
    list.show();
    list.setColumns(2);
    list.applyLayout(64);
    EXPECT_EQ(list.columnWidth(), 64);
    list.resize(200, 300);
    EXPECT_EQ(list.columns(), 3);
    list.resize(50, 300);
    EXPECT_EQ(list.columns(), 3);
}

TEST(ThumbnailListLayout, SizeChangeOfAHorizontalListResetsCellHeight) {
    ThumbnailList list;
    list.setOrientation(ThumbnailOrientation::Horizontal);
    list.show();
    list.resize(300, 120);
    const int sb = list.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &list);
    EXPECT_EQ(list.itemHeight(), 120 - sb - 4);
    EXPECT_EQ(list.columnWidth(), 64);
    list.beginLoading();
    list.resize(300, 200);
    EXPECT_EQ(list.itemHeight(), 120 - sb - 4);  // not while loading
    list.endLoading();
}

// Paints one cell into an image and returns it.
QImage paintCell(ThumbnailList& list, int index, QSize size, ThumbnailItemState state) {
    QImage canvas(size, QImage::Format_RGB32);
    canvas.fill(Qt::magenta);
    QPainter painter(&canvas);
    painter.setFont(list.font());
    list.paintThumbnail(painter, index, QRect(QPoint(0, 0), size), state);
    return canvas;
}

// A picture of one colour as the bytes of a bitmap file.
QByteArray bitmapBytes(int w, int h, Qt::GlobalColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    image.save(&out, "BMP");
    return bytes;
}

// One thumbnail whose picture is held in memory, as the viewer makes them.
struct PaintFixture : ::testing::Test {
    ThumbnailList list;
    void SetUp() override {
        list.setColor(Qt::black);
        list.setFontColor(Qt::white);
        QFont f = list.font();
        f.setPixelSize(8);
        list.setFont(f);
        Thumbnail* t = list.thumbnails().add();
        t->picture().readData(bitmapBytes(32, 32, Qt::red));
        t->setCaption("32*32 XPcolors");
    }
};

TEST_F(PaintFixture, PictureIsDrawnUnscaledAndCentred) {
    const QImage cell = paintCell(list, 0, QSize(143, 64), {});
    const int c = QFontMetrics(list.font()).height();
    const int areaH = 60 - c;
    const QRect expect(2 + (139 - 32) / 2, 2 + (areaH - 32) / 2, 32, 32);
    EXPECT_EQ(QColor(cell.pixel(expect.topLeft())), QColor(Qt::red));
    EXPECT_EQ(QColor(cell.pixel(expect.bottomRight())), QColor(Qt::red));
    EXPECT_EQ(QColor(cell.pixel(expect.left() - 1, expect.top())), QColor(Qt::black));
    EXPECT_EQ(QColor(cell.pixel(expect.right() + 1, expect.bottom())), QColor(Qt::black));
    EXPECT_EQ(QColor(cell.pixel(0, 0)), QColor(Qt::black));  // filled to the edge
    // Some caption ink in the band below the picture area.
    bool ink = false;
    for (int y = 2 + areaH; y < 62; ++y)
        for (int x = 2; x < 141; ++x) ink = ink || QColor(cell.pixel(x, y)) != QColor(Qt::black);
    EXPECT_TRUE(ink);
}

TEST_F(PaintFixture, AFilePictureIsLoadedOnFirstPaintUnlessUnbuffered) {
    QTemporaryDir dir;
    QImage blue(8, 8, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(dir.filePath("blue.bmp"), "BMP"));
    Thumbnail* t = list.thumbnails().at(0);
    t->setPicture(nullptr);
    t->setFileName(dir.filePath("blue.bmp"));
    t->setSource(ThumbnailSource::File);
    list.setBuffered(false);
    paintCell(list, 0, QSize(143, 64), {});
    EXPECT_TRUE(t->picture().isEmpty());
    list.setBuffered(true);
    const QImage cell = paintCell(list, 0, QSize(64, 64), {});
    EXPECT_FALSE(t->picture().isEmpty());
    const int areaH = 60 - QFontMetrics(list.font()).height();
    EXPECT_EQ(QColor(cell.pixel(2 + (60 - 8) / 2, 2 + (areaH - 8) / 2)), QColor(Qt::blue));
}

TEST_F(PaintFixture, SelectionShowsOnlyWhenAskedAndFocusAlways) {
    const QImage plain = paintCell(list, 0, QSize(143, 64), {});
    const QImage selected = paintCell(list, 0, QSize(143, 64), {true, false});
    EXPECT_EQ(plain, selected);
    list.setShowSelection(true);
    const QImage shown = paintCell(list, 0, QSize(143, 64), {true, false});
    EXPECT_EQ(QColor(shown.pixel(1, 1)), list.palette().color(QPalette::Highlight));
    list.setShowSelection(false);
    const QImage focused = paintCell(list, 0, QSize(143, 64), {false, true});
    int dots = 0;
    for (int x = 0; x < 143; ++x) dots += QColor(focused.pixel(x, 0)) != QColor(Qt::black);
    EXPECT_GT(dots, 20);  // a dotted line along the top edge
    EXPECT_EQ(QColor(focused.pixel(2, 2)), QColor(Qt::black));
}

TEST_F(PaintFixture, IndexOutsideTheCollectionDrawsOnlyTheBackground) {
    const QImage cell = paintCell(list, 5, QSize(64, 64), {});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(QColor(cell.pixel(x, y)), QColor(Qt::black));
}

TEST_F(PaintFixture, NoColourLeavesTheBackgroundUnfilled) {
    list.setColor(QColor());
    const QImage cell = paintCell(list, 0, QSize(143, 64), {});
    EXPECT_EQ(QColor(cell.pixel(0, 0)), QColor(Qt::magenta));
}

TEST_F(PaintFixture, CaptionsOffGiveTheWholeContentToThePicture) {
    list.thumbnails().at(0)->picture().readData(bitmapBytes(10, 200, Qt::green));
    list.setShowCaption(false);
    const QImage cell = paintCell(list, 0, QSize(64, 64), {});
    EXPECT_EQ(QColor(cell.pixel(31, 2)), QColor(Qt::green));   // top of the content
    EXPECT_EQ(QColor(cell.pixel(31, 61)), QColor(Qt::green));  // bottom of the content
    EXPECT_EQ(QColor(cell.pixel(31, 62)), QColor(Qt::black));
}

}  // namespace
}  // namespace pellimar
