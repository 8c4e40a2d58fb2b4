// The main window with the keyboard only: the result list's rows open with
// Return, and every menu command carries an access key.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>

#include "app/main_window.h"
#include "app/result_list.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;

namespace {

Icon plainIcon() {
    Icon icon;
    icon.width = icon.height = 32;
    icon.color.assign(32 * 32, 0xFF336699u);
    icon.mask.assign(32 * 32, 0);
    return icon;
}

}  // namespace

TEST(MainWindowKeys, ReturnOnARowOpensItAsADoubleClickDoes) {
    TempProgramDir dir("keys");
    ScriptedDesktop desktop;
    MainWindow form(desktop);
    form.addRow(plainIcon(), "/k/a.exe", 0);
    form.addRow(plainIcon(), "/k/a.exe", 1);
    QSignalSpy opened(form.resultList, &ResultList::doubleClicked);
    for (auto style : {ResultList::ViewStyle::Detail, ResultList::ViewStyle::Thumbnail,
                       ResultList::ViewStyle::List}) {
        form.resultList->setViewStyle(style);
        QAbstractItemView* view = form.resultList->currentView();
        form.resultList->clearSelection();
        QTest::keyClick(view, Qt::Key_Return);  // no row selected: nothing to open
        QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(opened.count(), 0);
        form.resultList->setRowSelected(1, true);
        QTest::keyClick(view, Qt::Key_Return);
        QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(opened.count(), 2) << int(style);
        opened.clear();
        // Other keys keep their ordinary meaning.
        QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(opened.count(), 0);
    }
}

TEST(MainWindowKeys, EveryMenuAndMenuCommandHasAnAccessKey) {
    TempProgramDir dir("keys");
    ScriptedDesktop desktop;
    MainWindow form(desktop);
    for (QAction* top : form.menuBar()->actions()) {
        EXPECT_TRUE(top->text().contains('&')) << top->text().toStdString();
        ASSERT_NE(top->menu(), nullptr);
        for (QAction* a : top->menu()->actions())
            if (!a->isSeparator()) EXPECT_TRUE(a->text().contains('&')) << a->text().toStdString();
    }
    // And the list's context menu.
    for (QAction* a : form.listContextMenu->actions())
        if (!a->isSeparator()) EXPECT_TRUE(a->text().contains('&')) << a->text().toStdString();
}
