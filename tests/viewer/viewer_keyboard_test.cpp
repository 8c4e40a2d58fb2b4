// The viewer with the keyboard only: Tab reaches every control, and each save
// command has a key of its own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolBar>

#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "viewer/icon_viewer.h"

namespace pellimar {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;
using test::ScriptedDesktop;

struct ViewerKeys : ::testing::Test {
    TempDir dir;
    ScriptedDesktop desk;
    fs::path icoPath;

    void SetUp() override {
        icoPath = dir.write("two.ico", makeIco({dibImage(patternIcon(16, 16, 16), 4),
                                                dibImage(patternIcon(32, 32, 200), 8)}));
    }
};

TEST_F(ViewerKeys, TabVisitsTheDropDownTheImagesAndBothSaveButtons) {
    IconViewer form(desk);
    form.setViewedFile(icoPath);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.imageChoice->setFocus();
    QList<QWidget*> visited;
    for (int i = 0; i < 6; ++i) {
        visited << QApplication::focusWidget();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_TRUE(visited.contains(form.imageChoice));
    EXPECT_TRUE(visited.contains(form.thumbnailList));
    EXPECT_TRUE(visited.contains(form.toolBar->widgetForAction(form.saveIconButton)));
    EXPECT_TRUE(visited.contains(form.toolBar->widgetForAction(form.saveBitmapButton)));

    // A save button with the focus runs with the space bar.
    form.toolBar->widgetForAction(form.saveIconButton)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    ASSERT_EQ(desk.saveRequests.size(), 1u);
    EXPECT_EQ(desk.saveRequests[0].filter, "ICON file|*.ico");
    form.reject();
}

TEST_F(ViewerKeys, OpensWithTheDropDownFocusedSoEndAndArrowsChooseAtOnce) {
    IconViewer form(desk);
    form.setViewedFile(icoPath);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_EQ(QApplication::focusWidget(), form.imageChoice);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_EQ(form.imageChoice->currentIndex(), 1);
    EXPECT_EQ(form.previewIcon().width, 32);  // the last image is shown, not only listed
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(form.previewIcon().width, 16);
    form.reject();
}

TEST_F(ViewerKeys, EachSaveCommandHasAKey) {
    IconViewer form(desk);
    form.setViewedFile(icoPath);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    form.thumbnailList->setFocus();
    for (auto k : {Qt::Key_S, Qt::Key_B, Qt::Key_J, Qt::Key_P})
        QTest::keyClick(QApplication::focusWidget(), k, Qt::ControlModifier);
    ASSERT_EQ(desk.saveRequests.size(), 4u);
    EXPECT_EQ(desk.saveRequests[0].filter, "ICON file|*.ico");
    EXPECT_EQ(desk.saveRequests[1].filter, "bmp file|*.bmp");
    EXPECT_EQ(desk.saveRequests[2].filter, "jpeg file|*.jpg");
    EXPECT_EQ(desk.saveRequests[3].filter.substr(0, 3), "png");
    form.reject();
}

// Both menus offer every format the viewer saves, each with its key shown; their
// items save as the keys do.
TEST_F(ViewerKeys, EachMenuOffersEveryFormatWithItsKey) {
    IconViewer form(desk);
    form.setViewedFile(icoPath);
    for (QMenu* menu : {form.previewMenu, form.thumbnailMenu}) {
        QStringList saves;
        for (QAction* a : menu->actions())
            if (a->text().startsWith("save as"))
                saves << a->text() + " " + a->shortcut().toString();
        EXPECT_EQ(saves, QStringList({"save as icon Ctrl+S", "save as bmp Ctrl+B",
                                      "save as jpeg Ctrl+J", "save as PNG Ctrl+P"}));
    }
    form.thumbnailSaveJpegItem->trigger();
    ASSERT_EQ(desk.saveRequests.size(), 1u);
    EXPECT_EQ(desk.saveRequests[0].filter, "jpeg file|*.jpg");
}

}  // namespace
}  // namespace pellimar
