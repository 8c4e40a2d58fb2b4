// The main window with the keyboard only and its rows' commands: rows open with
// Return, every menu command carries an access key, Save All and Clear All.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include "acquire/background_rows.h"
#include "app/main_window.h"
#include "app/result_list.h"
#include "app/window_controls.h"
#include "core/icon_image.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;
using namespace pellimar::test;

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
    addRow(form, plainIcon(), "/k/a.exe", 0);
    addRow(form, plainIcon(), "/k/a.exe", 1);
    QSignalSpy opened(resultListOf(form), &ResultList::doubleClicked);
    for (auto style : {ResultList::ViewStyle::Detail, ResultList::ViewStyle::Thumbnail,
                       ResultList::ViewStyle::List}) {
        resultListOf(form)->setViewStyle(style);
        QAbstractItemView* view = resultListOf(form)->currentView();
        resultListOf(form)->clearSelection();
        view->selectionModel()->clearCurrentIndex();
        QTest::keyClick(view, Qt::Key_Return);  // no row selected or current: nothing to open
        QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
        EXPECT_EQ(opened.count(), 0);
        resultListOf(form)->setRowSelected(1, true);
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
        for (QAction* a : top->menu()->actions()) {
            if (!a->isSeparator()) {
                EXPECT_TRUE(a->text().contains('&')) << a->text().toStdString();
            }
        }
    }
    // And the list's context menu.
    for (QAction* a : control<QMenu>(form, "listContextMenu")->actions()) {
        if (!a->isSeparator()) {
            EXPECT_TRUE(a->text().contains('&')) << a->text().toStdString();
        }
    }
}

TEST(MainWindowRows, SaveAllIsOfferedWheneverTheListHasRows) {
    TempProgramDir dir("rows");
    ScriptedDesktop desktop;
    MainWindow form(desktop);
    form.enableFileMenuCommands();
    form.enableContextMenuCommands();
    EXPECT_FALSE(control<QAction>(form, "saveAllItem")->isEnabled());
    EXPECT_FALSE(control<QAction>(form, "contextSaveAllItem")->isEnabled());
    addRow(form, plainIcon(), "/r/a.exe", 0);
    addRow(form, plainIcon(), "/r/a.exe", 1);
    form.enableFileMenuCommands();  // rows, none selected
    form.enableContextMenuCommands();
    EXPECT_TRUE(control<QAction>(form, "saveAllItem")->isEnabled());
    EXPECT_TRUE(control<QAction>(form, "contextSaveAllItem")->isEnabled());
    EXPECT_FALSE(control<QAction>(form, "saveSelectedItem")->isEnabled());
    // It saves every row without selecting them or clicking the Save button.
    QSignalSpy save(control<QToolButton>(form, "saveButton"), &QToolButton::clicked);
    control<QAction>(form, "saveAllItem")->trigger();
    EXPECT_EQ(form.selectedCount(), 0);
    EXPECT_EQ(save.count(), 0);
}

TEST(MainWindowRows, ClearAllTakesTheSortArrowAway) {
    TempProgramDir dir("rows");
    ScriptedDesktop desktop;
    MainWindow form(desktop);
    addRow(form, plainIcon(), "/r/b.exe", 0);
    addRow(form, plainIcon(), "/r/a.exe", 0);
    QHeaderView* header = resultListOf(form)->detailView()->horizontalHeader();
    form.sortByColumn(ResultList::ColPath);
    EXPECT_TRUE(header->isSortIndicatorShown());
    form.clearAll();
    EXPECT_FALSE(header->isSortIndicatorShown());
    addRow(form, plainIcon(), "/r/c.exe", 0);
    EXPECT_FALSE(header->isSortIndicatorShown());
    form.sortByColumn(ResultList::ColPath);  // a new sort shows it again
    EXPECT_TRUE(header->isSortIndicatorShown());
    // A row added to a sorted list goes to the end: the list is no longer sorted.
    addRow(form, plainIcon(), "/r/0.exe", 0);
    EXPECT_FALSE(header->isSortIndicatorShown());
}

TEST(ThumbnailCaptions, LongCaptionsKeepTheirIconNumber) {
    const QFontMetrics fm(QApplication::font());
    const int width = 110;
    const QString shortOne = "a.exe-001";
    EXPECT_EQ(thumbnailCaption(shortOne, fm, width), shortOne);
    for (QString caption : {QString("nsis-modern-installer-blue-full.exe-015"),
                            QString("averyveryverylongnamewithoutanybreakatall.dll-123"),
                            QString(200, 'x') + "-007"}) {
        const QString shown = thumbnailCaption(caption, fm, width);
        const QStringList lines = shown.split('\n');
        ASSERT_EQ(lines.size(), 2) << caption.toStdString();
        EXPECT_TRUE(caption.startsWith(lines[0]));
        EXPECT_TRUE(lines[1].endsWith(caption.right(4))) << shown.toStdString();
        for (const QString& line : lines) EXPECT_LE(fm.horizontalAdvance(line), width);
    }
    // Exactly two lines' worth: no character goes missing.
    QString two;
    while (fm.horizontalAdvance(two + "m") <= width) two += 'm';
    EXPECT_EQ(thumbnailCaption(two + "-012", fm, width).remove('\n'), two + "-012");
}

TEST(RowPictures, AtRatioTwoARowShowsTheGroupsSixtyFourPixelImage) {
    using namespace pellimar::fixtures;
    TempDir files;
    const Icon small = patternIcon(32, 32, 16), big = alphaPatternIcon(64, 64);
    const auto dll = files.write(
        "two.dll", makePe({{{dibImage(small, 4), dibImage(big, 32)}}, {{dibImage(small, 4)}}}));
    // For a screen of ratio 2 the reader hands over each group's image for 64
    // pixels along with its 32 px icon.
    setRowPictureRatio(2.0);
    std::vector<RowIcon> read;
    readFileRows(dll, [&](int, const Result<RowIcon>& icon) {
        EXPECT_TRUE(icon.ok());
        if (icon) read.push_back(*icon);
        return true;
    });
    setRowPictureRatio(1.0);
    ASSERT_EQ(read.size(), 2u);
    const QImage atTwo = rowPictureAtRatio(read[0].icon, read[0].sharper, 2.0);
    ASSERT_EQ(atTwo.size(), QSize(64, 64));
    EXPECT_EQ(atTwo.devicePixelRatio(), 2.0);
    EXPECT_EQ(atTwo, listPictureAtRatio(big, 32, 2.0));
    // A group with no larger image: its 32 px image enlarged, as nothing better exists.
    const QImage only = rowPictureAtRatio(read[1].icon, read[1].sharper, 2.0);
    EXPECT_EQ(only.size(), QSize(64, 64));
    // A row of an icon file is its own image.
    EXPECT_EQ(rowPictureAtRatio(big, Icon{}, 2.0), listPictureAtRatio(big, 32, 2.0));

    // Rows read off the UI thread are drawn for the screen the list is on.
    setRowPictureRatio(2.0);
    RowFeed feed;
    feed.addRow(dll, 0, read[0]);
    setRowPictureRatio(1.0);
    feed.addRow(dll, 0, read[0]);
    std::vector<RowFeed::Item> fed = feed.take(2);
    ASSERT_EQ(fed.size(), 2u);
    EXPECT_EQ(std::get<PreparedRow>(fed[0]).picture, atTwo);
    EXPECT_EQ(std::get<PreparedRow>(fed[1]).picture.size(), QSize(32, 32));

    // The result list keeps the extra pixels.
    ResultList list;
    list.addRow(atTwo, dll, 0);
    list.addRow(listPicture(small), dll, 1);
    EXPECT_EQ(list.rowPicture(0).size(), QSize(64, 64));
    EXPECT_EQ(list.rowPicture(0).devicePixelRatio(), 2.0);
    EXPECT_EQ(list.rowPicture(1).size(), QSize(32, 32));
    EXPECT_EQ(list.rowPicture(1).devicePixelRatio(), 1.0);
}

namespace {

// The paths of the list, top to bottom.
std::vector<std::string> pathsOf(const MainWindow& form) {
    std::vector<std::string> out;
    for (const ResultRowInfo& row : form.rows()) out.push_back(row.source.string());
    return out;
}

}  // namespace

// Sorting without the mouse: Ctrl+1..4 sort by the columns in the order they show,
// again flipping the direction as a header click does, and the View menu's Sort
// By ticks what the list is sorted by and sets the direction.
TEST(MainWindowKeys, TheKeyboardSortsByEveryColumnBothWays) {
    TempProgramDir dir("keys");
    ScriptedDesktop desktop;
    MainWindow form(desktop);
    addRow(form, plainIcon(), "/k/b.exe", 1);
    addRow(form, plainIcon(), "/k/c.exe", 0);
    addRow(form, plainIcon(), "/k/a.exe", 2);
    QAbstractItemView* view = resultListOf(form)->currentView();
    auto* byPath = control<QAction>(form, "sortByPathItem");
    auto* ascending = control<QAction>(form, "sortAscendingItem");
    auto* descending = control<QAction>(form, "sortDescendingItem");
    EXPECT_FALSE(byPath->isChecked());
    QTest::keyClick(view, Qt::Key_4, Qt::ControlModifier);  // Path, the fourth shown
    EXPECT_EQ(pathsOf(form), (std::vector<std::string>{"/k/a.exe", "/k/b.exe", "/k/c.exe"}));
    EXPECT_TRUE(byPath->isChecked());
    EXPECT_TRUE(ascending->isChecked());
    QTest::keyClick(view, Qt::Key_4, Qt::ControlModifier);  // again: the other way
    EXPECT_EQ(pathsOf(form), (std::vector<std::string>{"/k/c.exe", "/k/b.exe", "/k/a.exe"}));
    EXPECT_TRUE(descending->isChecked());
    QTest::keyClick(view, Qt::Key_2, Qt::ControlModifier);  // Location
    EXPECT_EQ(pathsOf(form), (std::vector<std::string>{"/k/c.exe", "/k/b.exe", "/k/a.exe"}));
    EXPECT_TRUE(control<QAction>(form, "sortByLocationItem")->isChecked());
    EXPECT_FALSE(byPath->isChecked());
    descending->trigger();
    EXPECT_EQ(pathsOf(form), (std::vector<std::string>{"/k/a.exe", "/k/b.exe", "/k/c.exe"}));
    EXPECT_TRUE(descending->isChecked());
    EXPECT_FALSE(ascending->isChecked());
    // The header's arrow says the same.
    QHeaderView* header = resultListOf(form)->detailView()->horizontalHeader();
    EXPECT_EQ(header->sortIndicatorSection(), ResultList::ColLocation);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // A row added leaves the list unsorted: nothing stays ticked.
    addRow(form, plainIcon(), "/k/d.exe", 0);
    EXPECT_FALSE(control<QAction>(form, "sortByLocationItem")->isChecked());
    EXPECT_FALSE(descending->isChecked());
}

// Shift+F10 and the Menu key open the context menu at the keyboard's row, wherever
// the pointer is.
TEST(MainWindowKeys, ShiftF10AndTheMenuKeyOpenTheContextMenuAtTheCurrentRow) {
    TempProgramDir dir("keys");
    ScriptedDesktop desktop;
    MainWindow form(desktop);
    form.resize(600, 400);
    form.show();
    for (int i = 0; i < 6; ++i) addRow(form, plainIcon(), "/k/a.exe", i);
    ResultList* list = resultListOf(form);
    QAbstractItemView* view = list->currentView();
    view->setCurrentIndex(list->model()->index(4, 0));
    QCursor::setPos(form.mapToGlobal(QPoint(590, 10)));
    const QRect row = view->visualRect(list->model()->index(4, 0));
    const QRect rowOnScreen(view->viewport()->mapToGlobal(row.topLeft()), row.size());
    for (auto [key, mods] :
         {std::pair{Qt::Key_F10, Qt::ShiftModifier}, std::pair{Qt::Key_Menu, Qt::NoModifier}}) {
        QPoint openedAt(-1, -1);
        QTimer answer;
        answer.setInterval(5);
        QObject::connect(&answer, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                openedAt = menu->pos();
                menu->close();
            }
        });
        answer.start();
        QTest::keyClick(view, key, mods);
        answer.stop();
        // The menu's corner is at the row's bottom edge, within its first cell.
        EXPECT_GE(openedAt.x(), rowOnScreen.left()) << key;
        EXPECT_LE(openedAt.x(), rowOnScreen.left() + 32) << key;
        EXPECT_EQ(openedAt.y(), rowOnScreen.bottom()) << key;
    }
}
