// The viewer's size: it grows to show a large image whole and a long source path,
// and the window can be resized.
#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTest>

#include "core/icon_image.h"
#include "platform/icon_set.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "viewer/icon_viewer.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;
using test::ScriptedDesktop;

struct ViewerSize : ::testing::Test {
    TempDir dir;
    ScriptedDesktop desk;
};

TEST_F(ViewerSize, A256PixelImageIsShownWholeAndTheWindowCanBeResized) {
    const fs::path ico = dir.write("big.ico", makeIco({pngImage(alphaPatternIcon(256, 256)),
                                                       dibImage(patternIcon(32, 32, 16), 4)}));
    IconViewer form(desk);
    form.setViewedFile(ico);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(form.previewIcon().width, 256);
    EXPECT_LT(form.minimumWidth(), form.maximumWidth());
    EXPECT_LT(form.minimumHeight(), form.maximumHeight());
    auto wholeInsideThePanel = [&] {
        const QRect shown(form.preview->mapTo(&form, QPoint(0, 0)), form.preview->size());
        const QRect panel(form.previewPanel->mapTo(&form, QPoint(0, 0)), form.previewPanel->size());
        return form.preview->size() == QSize(256, 256) && panel.contains(shown);
    };
    EXPECT_TRUE(wholeInsideThePanel());
    // Larger: the picture stays whole and inside, and the thumbnails take the new
    // height.
    const int listHeight = form.thumbnailList->height();
    form.resize(form.width() + 200, form.height() + 100);
    QCoreApplication::processEvents();
    EXPECT_TRUE(wholeInsideThePanel());
    EXPECT_EQ(form.thumbnailList->height(), listHeight + 100);
    form.reject();
}

TEST_F(ViewerSize, TheStatusBarShowsAFiftyCharacterPathWhole) {
    const fs::path ico = dir.write("small.ico", makeIco({dibImage(patternIcon(16, 16, 16), 4)}));
    const QString path = "/home/someone/Downloads/program-files/setup-xy.exe";
    ASSERT_EQ(path.size(), 50);
    IconViewer form(desk);
    form.setStatusText(2, shortenedSourcePath(path));
    form.setViewedFile(ico);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_EQ(form.statusText(2), path);
    int panels = 0;
    for (QLabel* panel : form.findChildren<QLabel*>()) {
        if (panel->text() != path) continue;
        ++panels;
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(path));
    }
    EXPECT_EQ(panels, 1);
    form.reject();
}

}  // namespace
}  // namespace pellimar

namespace pellimar {
namespace {

TEST_F(ViewerSize, AtRatioTwoThePreviewIsDrawnFromTheGroupsSixtyFourPixelImage) {
    const Icon small = fixtures::patternIcon(32, 32, 16);
    const Icon big = fixtures::alphaPatternIcon(64, 64);
    const fixtures::Bytes ico =
        fixtures::makeIco({fixtures::dibImage(small, 4), fixtures::dibImage(big, 32)});
    auto set = IconSet::read(ByteSource(std::span<const std::uint8_t>(ico)));
    ASSERT_TRUE(set);
    const IconGroup group = set->load(ResourceKind::Icon, 0);
    QImage expected(64, 64, QImage::Format_RGB32);
    expected.fill(Qt::black);
    drawIconOnImage(expected, 0, 0, big);

    const QImage atTwo = previewPictureAt(group, 0, small, 2.0);
    ASSERT_EQ(atTwo.size(), QSize(64, 64));
    EXPECT_EQ(atTwo.devicePixelRatio(), 2.0);
    EXPECT_EQ(atTwo.deviceIndependentSize(), QSizeF(32, 32));
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(atTwo.pixel(x, y), expected.pixel(x, y)) << x << "," << y;

    // At ratio 1 each image is itself; the 64 px image at ratio 2 has nothing
    // larger and is shown from its own pixels.
    EXPECT_EQ(previewPictureAt(group, 0, small, 1.0).size(), QSize(32, 32));
    const QImage bigAtTwo = previewPictureAt(group, 1, big, 2.0);
    EXPECT_EQ(bigAtTwo.size(), QSize(128, 128));
    EXPECT_EQ(bigAtTwo.deviceIndependentSize(), QSizeF(64, 64));
    EXPECT_TRUE(previewPictureAt(group, 0, Icon{}, 2.0).isNull());
}

}  // namespace
}  // namespace pellimar
