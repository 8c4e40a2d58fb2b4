#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/result_list.h"
#include "app/window_controls.h"
#include "core/icon_image.h"
#include "core/result_rows.h"
#include "core/settings.h"
#include "dialogs/tips_dialog.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"

namespace fs = std::filesystem;
using namespace pellimar;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;
using namespace pellimar::test;

namespace {

Icon solidIcon(std::uint32_t rgb) {
    Icon icon;
    icon.width = icon.height = 32;
    icon.color.assign(32 * 32, 0xFF000000u | rgb);
    icon.mask.assign(32 * 32, 0);
    return icon;
}

// The colour at the centre of the picture a row shows.
std::uint32_t shownColour(const ResultList& list, int row) {
    return list.rowPicture(row).pixel(16, 16) & 0xFFFFFFu;
}

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowTest() : dir_("mainform"), form_(desktop_) {}

    // Rows in the order given: each (file, position) with its own colour.
    void addRows(std::initializer_list<std::pair<const char*, int>> rows) {
        for (auto [file, pos] : rows) addRow(form_, solidIcon(colourFor(file, pos)), file, pos);
    }
    static std::uint32_t colourFor(const std::string& file, int pos) {
        return std::uint32_t(std::hash<std::string>{}(file + std::to_string(pos)) & 0xFFFFFFu) |
               0x010101u;
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(resultListOf(form_)->currentView(), Qt::Key(k), mods);
    }
    std::vector<QString> captions() const {
        std::vector<QString> out;
        for (int r = 0; r < resultListOf(form_)->rowCount(); ++r)
            out.push_back(resultListOf(form_)->caption(r));
        return out;
    }
    std::vector<QAction*> listCommands() const {
        return {control<QAction>(form_, "saveSelectedItem"),
                control<QAction>(form_, "saveAllItem"),
                control<QAction>(form_, "clearAllItem"),
                control<QAction>(form_, "contextSaveSelectedItem"),
                control<QAction>(form_, "contextSaveAllItem"),
                control<QAction>(form_, "contextClearAllItem"),
                control<QAction>(form_, "selectAllItem"),
                control<QAction>(form_, "deleteSelectedItem")};
    }

    TempProgramDir dir_;
    ScriptedDesktop desktop_;
    MainWindow form_;
};

}  // namespace

TEST(FormatIconNumber, PadsToThreeDigits) {
    EXPECT_EQ(formatIconNumber(0), "000");
    EXPECT_EQ(formatIconNumber(7), "007");
    EXPECT_EQ(formatIconNumber(42), "042");
    EXPECT_EQ(formatIconNumber(123), "123");
    EXPECT_EQ(formatIconNumber(1024), "1024");
    EXPECT_EQ(formatIconNumber(-1), "");
}

TEST(CompareAsciiNoCase, FoldsOnlyAsciiLettersAndPutsPrefixesFirst) {
    EXPECT_EQ(compareAsciiNoCase("Shell32.DLL", "shell32.dll"), 0);
    EXPECT_LT(compareAsciiNoCase("alpha", "Beta"), 0);
    EXPECT_LT(compareAsciiNoCase("app", "apple"), 0);
    EXPECT_GT(compareAsciiNoCase("a_b", "aab"), 0);  // '_' after the letters
    EXPECT_LT(compareAsciiNoCase("x-1000", "x-999"), 0);
    EXPECT_NE(compareAsciiNoCase("\xC3\xA9", "\xC3\x89"), 0);  // é and É differ
}

TEST_F(MainWindowTest, WindowHasItsMenusToolBarAndStatusPanels) {
    EXPECT_EQ(form_.windowTitle(), "Pellimar");
    EXPECT_EQ(control<QMenu>(form_, "fileMenu")->title(), " &File  ");
    EXPECT_EQ(control<QMenu>(form_, "viewMenu")->title(), " &View  ");
    EXPECT_EQ(control<QMenu>(form_, "optionsMenu")->title(), " &Options ");
    EXPECT_EQ(control<QMenu>(form_, "helpMenu")->title(), " &Help   ");
    struct Item {
        QAction* action;
        const char* caption;
        QKeySequence key;
        bool enabled;
    } items[] = {
        {control<QAction>(form_, "importFileItem"), "&Import from a File   ",
         QKeySequence("Ctrl+G"), true},
        {control<QAction>(form_, "scanFolderItem"), "Sca&n a Folder", {}, true},
        {control<QAction>(form_, "saveSelectedItem"), "&Save Selected", QKeySequence("Ctrl+S"),
         false},
        {control<QAction>(form_, "saveAllItem"), "Save &All", {}, false},
        {control<QAction>(form_, "clearAllItem"), "&Clear All", QKeySequence("Shift+Del"), false},
        {control<QAction>(form_, "undoItem"), "&Undo", QKeySequence("Ctrl+Z"), false},
        {control<QAction>(form_, "exitItem"), "E&xit", QKeySequence("Alt+F4"), true},
        {control<QAction>(form_, "showTipsItem"), "&Show Tips", {}, true},
        {control<QAction>(form_, "reportItem"), "&Result Report", {}, true},
        {control<QAction>(form_, "importOptionsItem"), "&Import Options", {}, true},
        {control<QAction>(form_, "exportOptionsItem"), "&Export Options", {}, true},
        {control<QAction>(form_, "searchSettingItem"), "&Search setting", {}, true},
        {control<QAction>(form_, "aboutItem"), "&About Pellimar...", {}, true},
        {control<QAction>(form_, "helpItem"), "&Help", QKeySequence("F1"), true},
        {control<QAction>(form_, "contextSaveSelectedItem"), "&Save Selected",
         QKeySequence("Ctrl+S"), false},
        {control<QAction>(form_, "contextSaveAllItem"), "Sa&ve All", {}, false},
        {control<QAction>(form_, "deleteSelectedItem"), "&Delete Selected ", QKeySequence("Del"),
         false},
        {control<QAction>(form_, "contextClearAllItem"), "&Clear all", QKeySequence("Shift+Del"),
         false},
        {control<QAction>(form_, "contextUndoItem"), "&Undo", QKeySequence("Ctrl+Z"), false},
        {control<QAction>(form_, "selectAllItem"), "Select &All", QKeySequence("Ctrl+A"), false},
        {control<QAction>(form_, "copyIconItem"), "C&opy Icon", QKeySequence("Ctrl+C"), false},
    };
    for (const Item& i : items) {
        EXPECT_EQ(i.action->text(), i.caption);
        EXPECT_EQ(i.action->shortcut(), i.key) << i.caption;
        EXPECT_EQ(i.action->isEnabled(), i.enabled) << i.caption;
    }
    EXPECT_EQ(control<QMenu>(form_, "fileMenu")->actions().size(), 10);
    EXPECT_EQ(control<QMenu>(form_, "listContextMenu")->actions().size(), 13);

    struct Button {
        QToolButton* button;
        const char* hint;
        int image;
    } buttons[] = {{control<QToolButton>(form_, "importButton"), "Grab icons from a File", 1},
                   {control<QToolButton>(form_, "scanButton"), "Scan icons from a folder", 0},
                   {control<QToolButton>(form_, "clearButton"), "Clear All", 2},
                   {control<QToolButton>(form_, "saveButton"), "Save Icon(s)", 4},
                   {control<QToolButton>(form_, "viewStyleButton"), "View Style", 6},
                   {control<QToolButton>(form_, "helpButton"), "Help", 3},
                   {control<QToolButton>(form_, "exitButton"), "Exit", 5}};
    QList<QToolButton*> order =
        control<QToolBar>(form_, "toolBar")
            ->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        EXPECT_EQ(buttons[i].button->toolTip(), buttons[i].hint);
        EXPECT_EQ(buttons[i].button->property("imageIndex").toInt(), buttons[i].image);
        EXPECT_FALSE(buttons[i].button->icon().pixmap(32).isNull()) << buttons[i].hint;
    }
    EXPECT_EQ(control<QToolButton>(form_, "viewStyleButton")->menu(),
              control<QMenu>(form_, "viewStyleMenu"));

    const char* texts[] = {"", "Idle ...", "", "Icons: 0", "", "Selected: 0", ""};
    ASSERT_EQ(control<QStatusBar>(form_, "statusBar")
                  ->findChildren<QLabel*>(QRegularExpression("^statusPanel"))
                  .size(),
              7);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(form_.statusText(i), texts[i]);
}

TEST_F(MainWindowTest, RowAdderBuildsCaptionLocationPathAndPosition) {
    addRow(form_, solidIcon(0x112233), "/w/app.exe", 0);
    addRow(form_, solidIcon(0x445566), "/w/app.exe", 41);
    ResultList& list = *resultListOf(form_);
    ASSERT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.caption(0), "app.exe-001");
    EXPECT_EQ(list.location(0), "000");
    EXPECT_EQ(list.caption(1), "app.exe-042");
    EXPECT_EQ(list.location(1), "041");
    EXPECT_EQ(list.pathText(1), "/w/app.exe");
    EXPECT_EQ(list.imageIndex(1), 1);
    EXPECT_EQ(list.rowPicture(1).size(), QSize(32, 32));
    EXPECT_EQ(shownColour(list, 1), 0x445566u);
    list.setRowSelected(1, true);
    auto rows = form_.rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].source, fs::path("/w/app.exe"));
    EXPECT_EQ(rows[1].iconPosition, 41);
    EXPECT_FALSE(rows[0].selected);
    EXPECT_TRUE(rows[1].selected);
}

TEST_F(MainWindowTest, DetailColumnsKeepTheirWidthsAndLongCaptionsTheirNumber) {
    QTableView* view = resultListOf(form_)->detailView();
    const int captionWidth = view->columnWidth(0), locationWidth = view->columnWidth(1);
    addRow(form_, solidIcon(0x112233), "/w/a-rather-long-library-name.dll", 6);
    EXPECT_EQ(view->columnWidth(0), captionWidth);
    EXPECT_EQ(view->columnWidth(1), locationWidth);
    // What fits beside the picture still ends with the icon number.
    const QString caption = resultListOf(form_)->caption(0);
    const QString shown =
        view->fontMetrics().elidedText(caption, view->textElideMode(), captionWidth - 32 - 16);
    EXPECT_NE(shown, caption);
    EXPECT_TRUE(shown.endsWith("-007")) << shown.toStdString();
}

TEST_F(MainWindowTest, ResourceColumnShowsBeforeThePathAndSortsIdsAsNumbers) {
    ResultList& list = *resultListOf(form_);
    const QImage picture = listPicture(solidIcon(0x112233));
    for (const auto& [position, resource] :
         std::vector<std::pair<int, std::string>>{{0, "10"}, {1, "MAIN"}, {2, "9"}, {3, ""}})
        list.addRow(picture, "/w/app.dll", position, resource);
    EXPECT_EQ(list.model()
                  ->headerData(ResultList::ColResource, Qt::Horizontal, Qt::DisplayRole)
                  .toString(),
              "Resource");
    const QHeaderView* header = list.detailView()->horizontalHeader();
    EXPECT_EQ(header->visualIndex(ResultList::ColResource), 2);
    EXPECT_EQ(header->visualIndex(ResultList::ColPath), 3);
    form_.sortByColumn(ResultList::ColResource);
    auto resources = [&] {
        std::vector<std::string> out;
        for (int r = 0; r < list.rowCount(); ++r) out.push_back(list.model()->resource(r));
        return out;
    };
    EXPECT_EQ(resources(), (std::vector<std::string>{"", "9", "10", "MAIN"}));
    form_.sortByColumn(ResultList::ColResource);
    EXPECT_EQ(resources(), (std::vector<std::string>{"MAIN", "10", "9", ""}));
    EXPECT_EQ(list.model()
                  ->data(list.model()->index(1, ResultList::ColResource), Qt::DisplayRole)
                  .toString(),
              "10");
}

TEST_F(MainWindowTest, IconMaskAndAlphaBecomeTransparency) {
    Icon icon = solidIcon(0x00FF00);
    icon.mask[0] = 1;
    icon.color[0] = 0xFF000000u;  // mask 1 over black: transparent
    QImage img = listPicture(icon);
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
    EXPECT_EQ(img.pixel(1, 0), 0xFF00FF00u);
    Icon alpha = solidIcon(0);
    alpha.hasAlpha = true;
    alpha.color.assign(32 * 32, 0x80FF0000u);
    EXPECT_EQ(qAlpha(listPicture(alpha).pixel(5, 5)), 0x80);
    EXPECT_TRUE(listPicture(Icon{}).isNull());
}

TEST_F(MainWindowTest, SortingFlipsEachColumnOnItsOwn) {
    addRows({{"/x/b.dll", 0}, {"/x/A.dll", 0}, {"/x/c.dll", 0}});
    form_.sortByColumn(ResultList::ColPath);
    EXPECT_EQ(captions(), (std::vector<QString>{"A.dll-001", "b.dll-001", "c.dll-001"}));
    form_.sortByColumn(ResultList::ColIcons);  // ascending by caption
    form_.sortByColumn(ResultList::ColPath);   // Path's second click: descending
    EXPECT_EQ(captions(), (std::vector<QString>{"c.dll-001", "b.dll-001", "A.dll-001"}));
    form_.sortByColumn(ResultList::ColIcons);  // Icons' second click: descending
    EXPECT_EQ(captions(), (std::vector<QString>{"c.dll-001", "b.dll-001", "A.dll-001"}));
    EXPECT_EQ(resultListOf(form_)->sortDirection(ResultList::ColIcons), -1);
    EXPECT_EQ(resultListOf(form_)->sortDirection(ResultList::ColPath), -1);
    EXPECT_EQ(resultListOf(form_)->sortDirection(ResultList::ColLocation), 0);
    // A new row goes to the end, unsorted.
    addRows({{"/x/0first.dll", 0}});
    EXPECT_EQ(captions().back(), "0first.dll-001");
}

TEST_F(MainWindowTest, SortingByIconsAndLocationTakesNumbersAsNumbers) {
    addRows({{"/x/Zeta.dll", 999},
             {"/x/zeta.dll", 0},
             {"/x/alpha.dll", 1},
             {"/x/Zeta.dll", 1000},
             {"/x/Zeta.dll", 998}});
    form_.sortByColumn(ResultList::ColIcons);
    // Whatever the case of the name; icon 1000 after 999, not between 100 and 101.
    EXPECT_EQ(captions(), (std::vector<QString>{"alpha.dll-002", "zeta.dll-001", "Zeta.dll-999",
                                                "Zeta.dll-1000", "Zeta.dll-1001"}));
    form_.sortByColumn(ResultList::ColLocation);
    QStringList locations;
    for (int r = 0; r < 5; ++r) locations << resultListOf(form_)->location(r);
    EXPECT_EQ(locations, QStringList({"000", "001", "998", "999", "1000"}));
    form_.sortByColumn(ResultList::ColLocation);  // descending
    EXPECT_EQ(resultListOf(form_)->location(0), "1000");
}

TEST(CompareNumbersAsNumbers, DigitRunsByValue) {
    EXPECT_LT(compareNumbersAsNumbers("a-999", "a-1000"), 0);
    EXPECT_GT(compareNumbersAsNumbers("a-1000", "A-999"), 0);
    EXPECT_GT(compareNumbersAsNumbers("a2b10", "a2b9x"), 0);  // the first differing run decides
    EXPECT_LT(compareNumbersAsNumbers("a-001", "a-01x"), 0);  // 1 == 1: the rest decides
    EXPECT_NE(compareNumbersAsNumbers("a-001", "a-01"), 0);   // a total order
    EXPECT_LT(compareNumbersAsNumbers("x", "x1"), 0);
    EXPECT_EQ(compareNumbersAsNumbers("B.dll-7", "b.DLL-7"), 0);
    EXPECT_LT(compareNumbersAsNumbers("99999999999999999999998", "99999999999999999999999"), 0);
}

TEST_F(MainWindowTest, DeleteAfterSortKeepsEveryRowsOwnPicture) {
    addRows({{"/d/e.dll", 0}, {"/d/a.dll", 0}, {"/d/d.dll", 0}, {"/d/b.dll", 0}, {"/d/c.dll", 0}});
    form_.sortByColumn(ResultList::ColIcons);
    form_.sortByColumn(ResultList::ColIcons);  // descending: e d c b a
    ResultList& list = *resultListOf(form_);
    list.setRowSelected(1, true);  // d
    list.setRowSelected(4, true);  // a
    form_.deleteSelected();
    ASSERT_EQ(list.rowCount(), 3);
    EXPECT_EQ(form_.statusText(3), "Icons: 3");
    EXPECT_EQ(list.images().count(), 3);
    for (int r = 0; r < list.rowCount(); ++r) {
        std::string path = list.source(r).string();
        EXPECT_EQ(shownColour(list, r), colourFor(path, 0)) << path;
    }
    // Nothing selected: nothing removed, the count is set again.
    setStatus(form_, 3, "stale");
    form_.deleteSelected();
    EXPECT_EQ(list.rowCount(), 3);
    EXPECT_EQ(form_.statusText(3), "Icons: 3");
}

// Rows that show the same picture share it; deleting rows keeps every other row's
// picture and lets go of those no row shows any more.
TEST_F(MainWindowTest, RowsOfOnePictureShareItThroughDeletes) {
    const std::uint32_t blue = 0x2040C0, red = 0xC02020;
    for (int i = 0; i < 4; ++i) addRow(form_, solidIcon(i == 2 ? red : blue), "/p/a.dll", i);
    ResultList& list = *resultListOf(form_);
    EXPECT_EQ(list.images().count(), 2);
    list.setRowSelected(0, true);
    form_.deleteSelected();
    EXPECT_EQ(list.images().count(), 2);
    EXPECT_EQ(shownColour(list, 0), blue);
    EXPECT_EQ(shownColour(list, 1), red);
    EXPECT_EQ(shownColour(list, 2), blue);
    list.setRowSelected(1, true);
    form_.deleteSelected();
    EXPECT_EQ(list.images().count(), 1);
    EXPECT_EQ(shownColour(list, 0), blue);
    EXPECT_EQ(shownColour(list, 1), blue);
    // A picture added again after its rows went is held again, once.
    addRow(form_, solidIcon(red), "/p/b.dll", 0);
    addRow(form_, solidIcon(red), "/p/b.dll", 1);
    EXPECT_EQ(list.images().count(), 2);
    EXPECT_EQ(shownColour(list, 3), red);
    form_.undoRemoval();  // nothing to undo once rows came: unchanged
    EXPECT_EQ(list.rowCount(), 4);
}

// Clear All and Delete are undone by Ctrl+Z until the list next changes: every
// row comes back in its place, with its own picture and its selection.
TEST_F(MainWindowTest, ClearAllAndDeleteCanBeUndoneUntilTheListChanges) {
    addRows({{"/u/a.dll", 0}, {"/u/a.dll", 1}, {"/u/b.dll", 0}, {"/u/c.dll", 4}});
    ResultList& list = *resultListOf(form_);
    const std::vector<QString> before = captions();
    list.setRowSelected(1, true);
    list.setRowSelected(2, true);
    QAction* undo = control<QAction>(form_, "undoItem");
    form_.deleteSelected();
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_TRUE(control<QAction>(form_, "contextUndoItem")->isEnabled());
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(captions(), before);
    EXPECT_EQ(form_.selectedCount(), 2);
    EXPECT_TRUE(list.isSelected(1) && list.isSelected(2));
    EXPECT_FALSE(undo->isEnabled());  // once only

    // The resource names come back with their rows, though clearing forgot them.
    list.addRow(QImage(), "/u/d.dll", 0, "MAIN");
    const std::vector<QString> named = captions();
    form_.clearAll();
    EXPECT_EQ(list.rowCount(), 0);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(captions(), named);
    EXPECT_EQ(list.model()->index(4, ResultList::ColResource).data().toString(), "MAIN");
    EXPECT_EQ(form_.statusText(3), "Icons: 5");
    for (int r = 0; r < 4; ++r)
        EXPECT_EQ(shownColour(list, r), colourFor(list.source(r).string(), list.iconPosition(r)));

    // A row added after the clearing ends what can be undone; so does a sort.
    form_.clearAll();
    addRows({{"/u/new.dll", 0}});
    EXPECT_FALSE(undo->isEnabled());
    form_.undoRemoval();
    EXPECT_EQ(captions(), std::vector<QString>{"new.dll-001"});
    list.selectAll();
    form_.deleteSelected();
    form_.sortByColumn(ResultList::ColIcons);
    form_.undoRemoval();
    EXPECT_EQ(list.rowCount(), 0);
}

TEST_F(MainWindowTest, SelectAllCountsEveryRow) {
    addRows({{"/s/a.exe", 0}, {"/s/a.exe", 1}, {"/s/a.exe", 2}, {"/s/a.exe", 3}});
    form_.selectAll();
    EXPECT_EQ(form_.statusText(5), "Selected: 4");
    EXPECT_EQ(form_.selectedCount(), 4);
}

// A command that can do nothing is disabled: those of the selected rows follow the
// selection, the others the rows, whether or not a menu was opened.
TEST_F(MainWindowTest, CommandsAreEnabledOnlyWhenTheyCanDoSomething) {
    auto* save = control<QToolButton>(form_, "saveButton");
    auto* clear = control<QToolButton>(form_, "clearButton");
    auto selectionCommands = [&] {
        return std::vector<QAction*>{control<QAction>(form_, "saveSelectedItem"),
                                     control<QAction>(form_, "contextSaveSelectedItem"),
                                     control<QAction>(form_, "deleteSelectedItem"),
                                     control<QAction>(form_, "copyIconItem")};
    };
    auto rowCommands = [&] {
        return std::vector<QAction*>{control<QAction>(form_, "saveAllItem"),
                                     control<QAction>(form_, "clearAllItem"),
                                     control<QAction>(form_, "contextSaveAllItem"),
                                     control<QAction>(form_, "contextClearAllItem"),
                                     control<QAction>(form_, "selectAllItem"),
                                     control<QAction>(form_, "sortByPathItem")};
    };
    // An empty list: nothing to save, clear, select or sort.
    for (QAction* a : listCommands()) EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(save->isEnabled());
    EXPECT_FALSE(clear->isEnabled());
    addRows({{"/e/a.exe", 0}, {"/e/a.exe", 1}});
    for (QAction* a : rowCommands()) EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    for (QAction* a : selectionCommands())
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(clear->isEnabled());
    EXPECT_FALSE(save->isEnabled());
    resultListOf(form_)->setRowSelected(0, true);
    for (QAction* a : listCommands()) EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(save->isEnabled());
    resultListOf(form_)->clearSelection();
    for (QAction* a : selectionCommands())
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(save->isEnabled());
    for (auto clearing : {&MainWindow::clearAll, &MainWindow::clearAll}) {
        addRows({{"/e/b.exe", 0}});
        resultListOf(form_)->setRowSelected(0, true);
        setStatus(form_, 5, "Selected: 9");
        (form_.*clearing)();
        EXPECT_EQ(form_.rowCount(), 0);
        EXPECT_EQ(resultListOf(form_)->images().count(), 0);
        EXPECT_EQ(form_.statusText(3), "Icons: 0");
        EXPECT_EQ(form_.statusText(5), "Selected: 0");
        for (QAction* a : listCommands())
            EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
        EXPECT_FALSE(save->isEnabled());
        EXPECT_FALSE(clear->isEnabled());
    }
}

TEST_F(MainWindowTest, CtrlSSavesOnlyWithASelectionAndNeverThroughTheActionList) {
    QSignalSpy popSave(control<QAction>(form_, "contextSaveSelectedItem"), &QAction::triggered);
    QSignalSpy menuSave(control<QAction>(form_, "saveSelectedItem"), &QAction::triggered);
    QSignalSpy actSave(control<QAction>(form_, "saveShortcut"), &QAction::triggered);
    addRows({{"/k/a.exe", 0}, {"/k/a.exe", 1}});
    key(Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(popSave.count(), 0);
    resultListOf(form_)->setRowSelected(1, true);
    key(Qt::Key_S, Qt::ControlModifier);  // the File menu was never opened
    EXPECT_EQ(popSave.count(), 1);
    // The context menu holds the key: the main menu's item and the shortcut never
    // get it.
    EXPECT_EQ(menuSave.count(), 0);
    EXPECT_EQ(actSave.count(), 0);
}

TEST_F(MainWindowTest, CtrlASelectsAllWheneverTheListHasRows) {
    key(Qt::Key_A, Qt::ControlModifier);  // nothing to select
    EXPECT_EQ(form_.selectedCount(), 0);
    addRows({{"/k/a.exe", 0}, {"/k/a.exe", 1}, {"/k/a.exe", 2}});
    key(Qt::Key_A, Qt::ControlModifier);  // none selected, no menu opened
    EXPECT_EQ(form_.selectedCount(), 3);
    EXPECT_EQ(form_.statusText(5), "Selected: 3");
    key(Qt::Key_D, Qt::ControlModifier);  // Ctrl+D clears
    EXPECT_EQ(form_.rowCount(), 0);
    addRows({{"/k/b.exe", 0}, {"/k/b.exe", 1}});
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form_.selectedCount(), 2);
}

TEST_F(MainWindowTest, DeleteShiftDeleteAndCtrlDKeys) {
    key(Qt::Key_Delete, Qt::ShiftModifier);  // empty list: nothing
    EXPECT_FALSE(control<QAction>(form_, "contextClearAllItem")->isEnabled());
    addRows({{"/k/a.exe", 0}, {"/k/a.exe", 1}, {"/k/a.exe", 2}});
    resultListOf(form_)->setRowSelected(1, true);
    key(Qt::Key_Delete);
    EXPECT_EQ(form_.rowCount(), 2);
    EXPECT_EQ(form_.statusText(3), "Icons: 2");
    resultListOf(form_)->setRowSelected(0, true);
    key(Qt::Key_Delete, Qt::KeypadModifier);  // the keypad's Del
    EXPECT_EQ(form_.rowCount(), 1);
    addRows({{"/k/a.exe", 3}});
    key(Qt::Key_Delete, Qt::ShiftModifier);  // rows: the context menu's rule enables it
    EXPECT_EQ(form_.rowCount(), 0);
    EXPECT_EQ(form_.statusText(5), "Selected: 0");
    addRows({{"/k/a.exe", 0}});
    key(Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(form_.rowCount(), 0);
    EXPECT_EQ(form_.statusText(3), "Icons: 0");
}

TEST_F(MainWindowTest, CtrlGImportsThroughTheMenuAndF1SaysWhenThereIsNoHelp) {
    QSignalSpy grab(control<QToolButton>(form_, "importButton"), &QToolButton::clicked);
    QSignalSpy actLoad(control<QAction>(form_, "importShortcut"), &QAction::triggered);
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(grab.count(), 1);
    EXPECT_EQ(actLoad.count(), 0);
    // No help file and no help pages in the program's folder: nothing to hand to
    // the desktop, and the user is told.
    key(Qt::Key_F1);
    EXPECT_TRUE(desktop_.documents.empty());
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0].icon, MessageIcon::Warning);
    EXPECT_NE(desktop_.messages[0].text.find("are installed"), std::string::npos)
        << desktop_.messages[0].text;
    EXPECT_TRUE(desktop_.errors.empty());
}

TEST_F(MainWindowTest, ClosingAsksOnlyWithRows) {
    form_.show();
    EXPECT_TRUE(form_.close());
    EXPECT_TRUE(desktop_.messages.empty());
    form_.show();
    addRows({{"/c/a.exe", 0}});
    desktop_.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(form_.close());
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0].text,
              "You have opened some icon files,\r\n   are you sure to quit?");
    EXPECT_EQ(desktop_.messages[0].caption, "Notice");
    EXPECT_EQ(desktop_.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(desktop_.messages[0].icon, MessageIcon::None);
    EXPECT_TRUE(form_.isVisible());
    EXPECT_EQ(form_.rowCount(), 1);
    desktop_.answers.push_back(Answer::Ok);
    EXPECT_TRUE(form_.close());
    EXPECT_FALSE(form_.isVisible());
}

TEST_F(MainWindowTest, ViewStylesMoveTheCheckMarks) {
    std::vector<QAction*> marked = {control<QAction>(form_, "thumbnailViewItem"),
                                    control<QAction>(form_, "listViewItem"),
                                    control<QAction>(form_, "detailViewItem"),
                                    control<QAction>(form_, "viewStyleThumbnailItem"),
                                    control<QAction>(form_, "viewStyleListItem"),
                                    control<QAction>(form_, "viewStyleDetailItem")};
    // The view in use is ticked from the start.
    for (QAction* a : marked)
        EXPECT_EQ(a->isChecked(), a->objectName().contains("detail", Qt::CaseInsensitive))
            << a->objectName().toStdString();
    EXPECT_EQ(resultListOf(form_)->viewStyle(), ResultList::ViewStyle::Detail);
    form_.showListView();
    EXPECT_EQ(resultListOf(form_)->viewStyle(), ResultList::ViewStyle::List);
    EXPECT_TRUE(control<QAction>(form_, "listViewItem")->isChecked() &&
                control<QAction>(form_, "viewStyleListItem")->isChecked());
    control<QAction>(form_, "viewStyleThumbnailItem")->trigger();
    EXPECT_EQ(resultListOf(form_)->viewStyle(), ResultList::ViewStyle::Thumbnail);
    EXPECT_TRUE(control<QAction>(form_, "thumbnailViewItem")->isChecked() &&
                control<QAction>(form_, "viewStyleThumbnailItem")->isChecked());
    EXPECT_FALSE(control<QAction>(form_, "listViewItem")->isChecked() ||
                 control<QAction>(form_, "viewStyleListItem")->isChecked());
    control<QAction>(form_, "contextDetailViewItem")->trigger();  // the context menu's item
    EXPECT_EQ(resultListOf(form_)->viewStyle(), ResultList::ViewStyle::Detail);
    EXPECT_FALSE(control<QAction>(form_, "contextDetailViewItem")->isChecked());
    EXPECT_TRUE(control<QAction>(form_, "detailViewItem")->isChecked() &&
                control<QAction>(form_, "viewStyleDetailItem")->isChecked());
}

TEST_F(MainWindowTest, TipsOpenOnceAfterHalfASecondWhenShowIsOn) {
    TipsDialog tips(form_.settings(), desktop_);
    form_.setTipsDialog(&tips);
    TempProgramDir::writeFile(dir_.program() / "setup.ini", "[tipoptions]\nshow=1\n");
    form_.startUp();
    QTimer* timer = control<QTimer>(form_, "tipsTimer");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 500);
    QCoreApplication::processEvents();
    EXPECT_TRUE(desktop_.modalForms.empty());
    // The half second passes when the test says so: the timer fires here.
    QMetaObject::invokeMethod(timer, "timeout");
    ASSERT_EQ(desktop_.modalForms.size(), 1u);
    EXPECT_EQ(desktop_.modalForms[0], &tips);
    // Once: the timer has stopped and does not fire again.
    EXPECT_FALSE(timer->isActive());
}

TEST_F(MainWindowTest, NoTipsWhenShowIsOffAndFirstStartCreatesTheFiles) {
    TipsDialog tips(form_.settings(), desktop_);
    form_.setTipsDialog(&tips);
    form_.show();  // first showing loads the settings
    EXPECT_TRUE(fs::exists(dir_.program() / "setup.ini"));
    EXPECT_TRUE(fs::exists(dir_.program() / "pellimarinfo.ini"));
    EXPECT_FALSE(control<QTimer>(form_, "tipsTimer")->isActive());
    QCoreApplication::processEvents();
    EXPECT_TRUE(desktop_.modalForms.empty());
    EXPECT_EQ(form_.settings().importLimit, 20);
    EXPECT_TRUE(form_.settings().searchSubfolders);
}

// Save All saves every row by itself (see MainSave): it neither selects the rows
// nor clicks the Save button.
TEST_F(MainWindowTest, SaveAllLeavesTheSelectionAndTheSaveButtonAlone) {
    QSignalSpy save(control<QToolButton>(form_, "saveButton"), &QToolButton::clicked);
    addRows({{"/a/x.exe", 0}, {"/a/x.exe", 1}, {"/a/x.exe", 2}});
    resultListOf(form_)->setRowSelected(2, true);
    form_.enableFileMenuCommands();
    control<QAction>(form_, "saveAllItem")->trigger();
    EXPECT_EQ(form_.selectedCount(), 1);
    EXPECT_EQ(save.count(), 0);
}
