#include "core/window_placement.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

using namespace pellimar;

TEST(WindowPlacement, TheFrameIsCentredNotTheClientArea) {
    const QRect screen(0, 0, 1280, 800);
    // No frame: the client area itself is centred.
    EXPECT_EQ(centredClientRect(screen, {400, 200}, {}), QRect(440, 300, 400, 200));
    // A title bar 24 high and borders of 4: the whole frame, 408 x 228, is centred
    // and the client area sits inside it.
    EXPECT_EQ(centredClientRect(screen, {400, 200}, {4, 24, 4, 4}), QRect(440, 310, 400, 200));
    // A second screen to the right.
    EXPECT_EQ(centredClientRect(QRect(1280, 0, 1024, 768), {400, 200}, {}).topLeft(),
              QPoint(1280 + 312, 284));
    // A window larger than the screen is centred all the same.
    EXPECT_EQ(centredClientRect(QRect(0, 0, 100, 100), {200, 200}, {}).topLeft(), QPoint(-50, -50));
}

TEST(WindowPlacement, FirstAndLaterShowingsLandInTheSamePlace) {
    QWidget owner;
    owner.setGeometry(10, 10, 300, 200);
    owner.show();
    QDialog dialog(&owner);
    dialog.resize(300, 150);
    EXPECT_EQ(knownFrameMargins(dialog), knownFrameMargins(owner));
    centreOnScreen(dialog);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    const QRect first = dialog.frameGeometry();
    dialog.hide();
    centreOnScreen(dialog);
    dialog.show();
    EXPECT_EQ(dialog.frameGeometry(), first);
    const QRect screen = dialog.screen()->geometry();
    EXPECT_LE(std::abs(first.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(first.center().y() - screen.center().y()), 1);
}

TEST(WindowPlacement, ACloseBoxOnly) {
    QDialog dialog;
    dialog.setWindowFlags(Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    giveCloseBoxOnly(dialog);
    const Qt::WindowFlags f = dialog.windowFlags();
    EXPECT_EQ(f & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_TRUE(f & Qt::CustomizeWindowHint);
    EXPECT_TRUE(f & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(f & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(f & Qt::WindowMaximizeButtonHint);
}

TEST(WindowPlacement, MessageBoxesAreAtLeastAsWideAsTheirCaption) {
    for (const char* caption : {"notice", "Sorry", "This file is exists,Are you sure?"}) {
        QMessageBox box;
        box.setWindowTitle(caption);
        box.setText("save false");
        box.setStandardButtons(QMessageBox::Ok);
        fitMessageBox(box);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        const int least = widthForCaption(caption, QApplication::font("QMdiSubWindowTitleBar"));
        EXPECT_GE(box.width(), least) << caption;
        EXPECT_FALSE(box.windowFlags() & Qt::WindowMaximizeButtonHint);
        box.hide();
    }
}

TEST(WindowPlacement, AWindowLaidOutByHandGrowsWithItsFont) {
    for (double points : {9.0, 7.0, 18.0}) {
        QDialog dialog;
        QFont font = dialog.font();
        font.setPointSizeF(points);
        dialog.setFont(font);
        dialog.setFixedSize(100, 50);
        auto* label = new QLabel("text", &dialog);
        label->setGeometry(10, 10, 30, 20);
        QFont pixels = label->font();
        pixels.setPixelSize(10);
        label->setFont(pixels);
        growWithFont(dialog);
        const double f = points > 9 ? 2.0 : 1.0;
        EXPECT_EQ(fontGrowth(dialog.font()), f);
        EXPECT_EQ(dialog.size(), QSize(100, 50) * f) << points;
        EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
        EXPECT_EQ(label->geometry(), QRect(10 * f, 10 * f, 30 * f, 20 * f)) << points;
        EXPECT_EQ(label->font().pixelSize(), 10 * f) << points;
    }
}
