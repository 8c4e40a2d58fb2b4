// The Scan a Folder command of the main window, end to end: folder dialog, Import
// options dialog, the walk, the real icon loader and the result list.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "acquire/import_options_dialog.h"
#include "acquire/row_reader.h"
#include "acquire/scan_test_tree.h"
#include "app/main_window.h"
#include "app/result_list.h"
#include "app/window_controls.h"
#include "core/paths.h"
#include "core/settings.h"
#include "platform/icon_set.h"
#include "platform/private_profile.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using namespace fixtures;
using test::ScratchTree;
using test::ScriptedDesktop;
using namespace pellimar::test;

// A library with `count` icons, each a one-image group; icon k is drawn in colour k.
Bytes library(int count) {
    std::vector<IconGroupSpec> groups;
    for (int k = 0; k < count; ++k)
        groups.push_back({{dibImage(solidIcon(32, 32, patternColor(k % 200)), 8)}});
    return makePe(groups);
}

Bytes iconFile(int images) {
    std::vector<IconImage> list;
    for (int k = 0; k < images; ++k)
        list.push_back(dibImage(solidIcon(16 + 16 * k, 16 + 16 * k, patternColor(k)), 8));
    return makeIco(list);
}

class MainWindowScanTest : public ::testing::Test {
  protected:
    MainWindowScanTest() {
        setProgramDir(config.root());
        AppSettings& s = form.settings();
        s.importExe = s.importDll = s.importIco = true;
        s.importIcl = false;
        s.importLimit = 0;
        s.searchSubfolders = true;
        s.clearResult = false;
        form.setImportOptionsDialog(&importOptions);
    }
    ~MainWindowScanTest() override { setProgramDir({}); }

    void put(const std::string& rel, const Bytes& bytes) {
        tree.file(rel, std::string(bytes.begin(), bytes.end()));
    }

    // Answers the folder dialog with `folder` (the tree when none) and the Import
    // options dialog with OK, for the scan the test starts next.
    void answerScan(const fs::path& folder = {}) {
        desktop.folderAnswers.push_back(folder.empty() ? tree.root() : folder);
        desktop.modalScripts.push_back([](QDialog& d) {
            auto& f = dynamic_cast<ImportOptionsDialog&>(d);
            f.show();
            f.confirm();
            return f.result();
        });
    }
    void scan(const fs::path& folder = {}) {
        answerScan(folder);
        form.scanFolder();
        waitForIdle(form);
    }

    std::vector<std::string> captions() const {
        std::vector<std::string> out;
        for (int r = 0; r < resultListOf(form)->rowCount(); ++r)
            out.push_back(resultListOf(form)->caption(r).toStdString());
        return out;
    }
    int rowsFrom(const std::string& name) const {
        int n = 0;
        for (const auto& row : form.rows()) n += row.source.filename() == name;
        return n;
    }

    ScratchTree config;
    ScratchTree tree;
    ScriptedDesktop desktop;
    MainWindow form{desktop};
    ImportOptionsDialog importOptions{form.settings(), desktop, &form};
};

TEST_F(MainWindowScanTest, SixtyAndSeventyIconsWithAMaximumOfHundred) {
    put("sixty.exe", library(60));
    put("seventy.dll", library(70));
    form.settings().importLimit = 100;
    scan();
    const auto order = tree.listingOrder("");
    const bool sixtyFirst = std::find(order.begin(), order.end(), "sixty.exe") <
                            std::find(order.begin(), order.end(), "seventy.dll");
    EXPECT_EQ(form.rowCount(), 100);
    EXPECT_EQ(rowsFrom("sixty.exe"), sixtyFirst ? 60 : 30);
    EXPECT_EQ(rowsFrom("seventy.dll"), sixtyFirst ? 40 : 70);
    EXPECT_EQ(form.statusText(1), "Idle ...");
    EXPECT_EQ(form.statusText(3), "Icons: 100");
    EXPECT_EQ(desktop.folderTitles, std::vector<std::string>{"Import a directory"});

    // A second scan starts its own count: 100 more (the list is not cleared).
    scan();
    EXPECT_EQ(form.rowCount(), 200);
    EXPECT_EQ(form.statusText(3), "Icons: 200");

    // No limit: everything.
    form.settings().importLimit = 0;
    form.settings().clearResult = true;
    scan();
    EXPECT_EQ(form.rowCount(), 130);
}

TEST_F(MainWindowScanTest, TwoScansOfTwentyAddTwentyEach) {
    put("a.dll", library(15));
    put("b.dll", library(15));
    form.settings().importLimit = 20;
    scan();
    scan();
    EXPECT_EQ(form.rowCount(), 40);
    EXPECT_EQ(form.statusText(3), "Icons: 40");
}

TEST_F(MainWindowScanTest, IconFileRowsAreNumberedFromOne) {
    put("three.ico", iconFile(3));
    scan();
    ASSERT_EQ(form.rowCount(), 3);
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"three.ico-001", "three.ico-002", "three.ico-003"}));
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(resultListOf(form)->location(r).toStdString(), formatIconNumber(r));
        EXPECT_EQ(resultListOf(form)->iconPosition(r), r);
        EXPECT_EQ(resultListOf(form)->source(r), tree.root() / "three.ico");
        EXPECT_EQ(resultListOf(form)->rowPicture(r).size(), QSize(32, 32));
    }
    // image k of the file was loaded for row k: its colour shows in the middle
    EXPECT_EQ(resultListOf(form)->rowPicture(2).pixel(16, 16), patternColor(2));
    EXPECT_EQ(resultListOf(form)->rowPicture(0).pixel(16, 16), patternColor(0));
}

TEST_F(MainWindowScanTest, BadIconFilesAmongGoodOnesAreSkipped) {
    put("a.ico", iconFile(2));
    put("b.ico", makeIco({dibImage(solidIcon(32, 32, 0xFF00FF00), 8)}, 2));  // a cursor: read
    tree.file("c.ico", std::string("\0\0", 2));                              // truncated
    put("d.ico", iconFile(1));
    put("e.dll", library(2));
    scan();
    EXPECT_EQ(rowsFrom("a.ico"), 2);
    EXPECT_EQ(rowsFrom("b.ico"), 1);
    EXPECT_EQ(rowsFrom("d.ico"), 1);
    EXPECT_EQ(rowsFrom("e.dll"), 2);
    EXPECT_EQ(form.rowCount(), 6);
    EXPECT_EQ(form.statusText(1), "Idle ...");
    EXPECT_EQ(form.statusText(3), "Icons: 6");
}

TEST_F(MainWindowScanTest, SubFoldersOnAndOff) {
    put("a.dll", library(1));
    put("sub/b.dll", library(2));
    put("sub/deeper/c.exe", library(1));
    form.settings().searchSubfolders = false;
    scan();
    EXPECT_EQ(captions(), std::vector<std::string>{"a.dll-001"});

    form.settings().searchSubfolders = true;
    form.settings().clearResult = true;
    scan();
    std::vector<std::string> expected;
    for (const auto& name : tree.listingOrder("")) {
        if (name == "a.dll") expected.push_back("a.dll-001");
        if (name == "sub") {
            for (const auto& inner : tree.listingOrder("sub")) {
                if (inner == "b.dll") {
                    expected.push_back("b.dll-001");
                    expected.push_back("b.dll-002");
                }
                if (inner == "deeper") expected.push_back("c.exe-001");
            }
        }
    }
    EXPECT_EQ(captions(), expected);
}

TEST_F(MainWindowScanTest, FolderNamedLikeAnExecutableGivesNoRows) {
    tree.folder("x.exe");
    put("x.exe/real.dll", library(1));
    form.settings().searchSubfolders = false;
    scan();
    EXPECT_EQ(form.rowCount(), 0);
    EXPECT_EQ(form.statusText(1), "Idle ...");
    EXPECT_EQ(form.statusText(3), "Icons: 0");
}

TEST_F(MainWindowScanTest, ClearResultKeepsTheListWhenNoFileIsGathered) {
    put("a.dll", library(2));
    scan();
    ASSERT_EQ(form.rowCount(), 2);
    form.settings().clearResult = true;
    ScratchTree empty;
    empty.file("readme.txt");
    scan(empty.root());
    EXPECT_EQ(form.rowCount(), 2);
    EXPECT_EQ(form.statusText(3), "Icons: 2");

    scan();  // files found: the list is cleared first
    EXPECT_EQ(form.rowCount(), 2);
}

TEST_F(MainWindowScanTest, OnlyIconFilesOverAFolderOfExecutables) {
    put("a.exe", library(3));
    put("b.dll", library(3));
    AppSettings& s = form.settings();
    s.importExe = s.importDll = s.importIcl = false;
    s.importIco = true;
    scan();
    EXPECT_EQ(form.rowCount(), 0);
    EXPECT_EQ(form.statusText(1), "Idle ...");
}

TEST_F(MainWindowScanTest, LinkLoopsAndDanglingLinksEndTheWalk) {
    put("a.dll", library(1));
    put("sub/b.dll", library(1));
    tree.link("sub/up", "..");
    tree.link("sub/again", "../sub");
    tree.link("nowhere", "missing-folder");
    tree.link("nowhere.dll", "missing-file");
    scan();
    EXPECT_EQ(rowsFrom("a.dll"), 1);
    EXPECT_EQ(rowsFrom("b.dll"), 1);
    EXPECT_EQ(form.rowCount(), 2);
}

TEST_F(MainWindowScanTest, CancelledDialogsChangeNothing) {
    put("a.dll", library(1));
    setStatus(form, 1, "before");
    form.scanFolder();  // the folder dialog is cancelled
    desktop.folderAnswers.push_back(tree.root());
    desktop.modalScripts.push_back([](QDialog& d) {
        d.show();
        d.close();  // the close box
        return d.result();
    });
    form.scanFolder();
    EXPECT_EQ(form.rowCount(), 0);
    EXPECT_EQ(form.statusText(1), "before");
    EXPECT_EQ(desktop.folderTitles.size(), 2u);
}

TEST_F(MainWindowScanTest, OptionsChosenInTheDialogSteerTheScan) {
    put("a.dll", library(5));
    put("b.exe", library(5));
    desktop.folderAnswers.push_back(tree.root());
    desktop.modalScripts.push_back([](QDialog& d) {
        auto& f = dynamic_cast<ImportOptionsDialog&>(d);
        f.show();
        f.exeBox->setChecked(false);
        f.limitButton->click();
        f.limitEdit->setText("3");
        QTest::keyClick(&f, Qt::Key_Escape);  // Esc is OK
        return f.result();
    });
    form.scanFolder();
    waitForIdle(form);
    EXPECT_EQ(form.rowCount(), 3);
    EXPECT_EQ(rowsFrom("a.dll"), 3);
    EXPECT_EQ(form.settings().importLimit, 3);
    EXPECT_EQ(ProfileFile(config.root() / "setup.ini").integer("importoptions", "max_units", -1),
              3);
}

TEST_F(MainWindowScanTest, MenuItemRunsTheSameCommand) {
    put("a.dll", library(1));
    answerScan();
    control<QAction>(form, "scanFolderItem")->trigger();
    waitForIdle(form);
    EXPECT_EQ(form.rowCount(), 1);
}

TEST_F(MainWindowScanTest, ARowShowsTheImageItsGroupHoldsForThirtyTwoPixels) {
    // One group of three sizes, each its own colour, the 32 px one neither first nor last.
    put("sizes.dll", makePe({{{dibImage(solidIcon(16, 16, patternColor(5)), 8),
                               dibImage(solidIcon(32, 32, patternColor(6)), 8),
                               dibImage(solidIcon(48, 48, patternColor(7)), 8)}}}));
    scan();
    ASSERT_EQ(form.rowCount(), 1);
    EXPECT_EQ(resultListOf(form)->rowPicture(0).pixel(16, 16), patternColor(6));
}

TEST_F(MainWindowScanTest, WindowWithoutImportOptionsDoesNotScan) {
    put("a.dll", library(1));
    MainWindow bare(desktop);
    desktop.folderAnswers.push_back(tree.root());
    bare.scanFolder();
    EXPECT_TRUE(desktop.folderTitles.empty());
    EXPECT_EQ(bare.rowCount(), 0);
    desktop.folderAnswers.clear();
}

TEST_F(MainWindowScanTest, AFolderNamedLikeAFileKindDoesNotClearTheList) {
    put("a.dll", library(2));
    scan();
    ASSERT_EQ(form.rowCount(), 2);
    ScratchTree other;
    other.folder("dir.exe");
    other.file("dir.exe/inner.dll", std::string("x"));
    form.settings().searchSubfolders = false;
    form.settings().clearResult = true;
    scan(other.root());
    EXPECT_EQ(form.rowCount(), 2);  // nothing was gathered: the list stays
}

TEST_F(MainWindowScanTest, ADamagedIconOfALibraryHidesNoneOfTheOthers) {
    IconImage garbage;
    garbage.data = {1, 2, 3, 4};
    garbage.width = garbage.height = 32;
    std::vector<IconGroupSpec> groups{{{}}, {{garbage}}};  // no image; an unreadable one
    for (int k = 2; k < 5; ++k)
        groups.push_back({{dibImage(solidIcon(32, 32, patternColor(k)), 8)}});
    put("lib.dll", makePe(groups));
    scan();
    EXPECT_EQ(captions(), (std::vector<std::string>{"lib.dll-003", "lib.dll-004", "lib.dll-005"}));
    EXPECT_EQ(resultListOf(form)->rowPicture(0).pixel(16, 16), patternColor(2));
    EXPECT_EQ(form.statusText(3), "Icons: 3");
}

// What ends a scan with an error is told in the error box once the rows read
// before it are in the list, and the window is ready for the next command.
TEST_F(MainWindowScanTest, AnErrorThatEndsTheScanIsToldAndTheRowsBeforeItStay) {
    put("a.dll", library(2));
    put("b.dll", library(3));
    std::atomic<int> files{0};
    form.setRowReader([&](const fs::path& f, const RowSink& take) -> std::optional<Failure> {
        if (++files == 2) throw std::runtime_error("the reader broke");
        return readFileRows(f, take);
    });
    scan();
    EXPECT_EQ(desktop.errors, std::vector<std::string>{"the reader broke"});
    EXPECT_TRUE(form.rowCount() == 2 || form.rowCount() == 3) << form.rowCount();
    EXPECT_EQ(form.statusText(1), "Idle ...");
    EXPECT_EQ(form.statusText(3), QString("Icons: %1").arg(form.rowCount()));
    EXPECT_TRUE(control<QToolButton>(form, "scanButton")->isEnabled());
    EXPECT_TRUE(control<QToolButton>(form, "stopButton")->isHidden());
}

// A group whose directory is past the cap of one resource gives no row and says
// why; the groups after it are rows all the same. A link to a folder in the tree
// is not followed, and that is told too.
TEST_F(MainWindowScanTest, AGroupPastACapOfItsOwnIsToldAndTheOthersAreRows) {
    Bytes lib = library(4);
    put32(lib, dataEntryOf(lib, kRtGroupIcon, 1) + 4, 80u << 20);
    put("wine.dll", lib);
    ScratchTree outside;
    outside.file("outside.dll", library(1));
    tree.link("z:", outside.root().string());
    scan();
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"wine.dll-001", "wine.dll-003", "wine.dll-004"}));
    const QString told = control<QLabel>(form, "progressLabel")->text();
    EXPECT_TRUE(
        told.contains("1 icon could not be read: wine.dll: icon 2: stopped at a limit: 64 MB "
                      "of one image or resource"))
        << told.toStdString();
    EXPECT_TRUE(told.contains("1 folder was left out or read only in part: " +
                              QString::fromStdString((tree.root() / "z:").string()) +
                              ": a link to a folder: not followed"))
        << told.toStdString();
}

// A loader that holds the scan on the first icon until the test lets it go, so
// the window can be looked at while the scan runs.
struct HeldLoader {
    std::atomic<bool> holding{false};
    std::atomic<bool> released{false};
    std::optional<Failure> read(const fs::path& file, const RowSink& take) {
        return readFileRows(file, [&](int position, const Result<RowIcon>& icon) {
            if (!holding.exchange(true)) {
                for (int i = 0; i < 500 && !released; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            return take(position, icon);
        });
    }
};

TEST_F(MainWindowScanTest, TheIconCountFollowsTheRowsAsTheScanAddsThem) {
    for (int i = 0; i < 3; ++i) put("f" + std::to_string(i) + ".dll", library(2));
    std::atomic<int> files{0};
    std::atomic<bool> holding{false}, released{false};
    form.setRowReader([&](const fs::path& f, const RowSink& take) {
        // The last file waits until the window has been looked at.
        if (++files == 3) {
            holding = true;
            for (int i = 0; i < 500 && !released; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return readFileRows(f, take);
    });
    QString seen;
    int rowsSeen = -1;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!holding || released || form.rowCount() < 4) return;
        rowsSeen = form.rowCount();
        seen = form.statusText(3);
        released = true;
    });
    probe.start();
    scan();
    probe.stop();
    EXPECT_EQ(rowsSeen, 4);
    EXPECT_EQ(seen, "Icons: 4");  // while the scan still ran
    EXPECT_EQ(form.statusText(3), "Icons: 6");
}

TEST_F(MainWindowScanTest, DuringAScanTheWindowRepaintsHoldsListCommandsAndStopKeepsTheRows) {
    for (int i = 0; i < 5; ++i) put("f" + std::to_string(i) + ".dll", library(2));
    put("keep.dll", library(1));
    scan();  // one row to keep
    ASSERT_EQ(form.rowCount(), 11);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    HeldLoader held;
    form.setRowReader([&](const fs::path& f, const RowSink& take) { return held.read(f, take); });
    bool checked = false;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!held.holding || checked) return;
        checked = true;
        // The scan is running and the event loop with it.
        EXPECT_TRUE(form.backgroundWorkRunning());
        EXPECT_FALSE(control<QToolButton>(form, "clearButton")->isEnabled());
        EXPECT_FALSE(control<QToolButton>(form, "scanButton")->isEnabled());
        EXPECT_TRUE(control<QToolButton>(form, "stopButton")->isVisible());
        EXPECT_EQ(form.statusText(1), "Searching ...");
        // Commands that change the list do nothing now and are not replayed later.
        control<QToolButton>(form, "clearButton")->click();
        control<QAction>(form, "clearShortcut")->trigger();
        form.routeKey(QKeyCombination(Qt::SHIFT, Qt::Key_Delete));
        EXPECT_EQ(form.rowCount(), 11);
        // Esc stops the scan.
        form.activateWindow();
        QTest::keyClick(static_cast<QWidget*>(resultListOf(form)->currentView()), Qt::Key_Escape);
        held.released = true;
    });
    probe.start();
    scan();
    probe.stop();
    ASSERT_TRUE(checked);
    EXPECT_FALSE(form.backgroundWorkRunning());
    EXPECT_FALSE(control<QToolButton>(form, "stopButton")->isVisible());
    EXPECT_TRUE(control<QToolButton>(form, "clearButton")->isEnabled());
    QCoreApplication::processEvents();
    // The icon being read when Esc came was kept, then the scan stopped.
    EXPECT_EQ(form.rowCount(), 11 + 1);
    EXPECT_EQ(form.statusText(1), "Idle ...");
    EXPECT_EQ(form.statusText(3), "Icons: 12");
}

TEST_F(MainWindowScanTest, ClosingDuringAScanAsksStopsAndCloses) {
    for (int i = 0; i < 3; ++i) put("f" + std::to_string(i) + ".dll", library(2));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    HeldLoader held;
    form.setRowReader([&](const fs::path& f, const RowSink& take) { return held.read(f, take); });
    desktop.answers.push_back(Answer::Ok);  // "Stop and quit?"
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!held.holding || held.released) return;
        form.close();
        EXPECT_TRUE(form.isVisible());  // not before the scan has stopped
        held.released = true;
    });
    probe.start();
    scan();
    probe.stop();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Files are still being read.\r\nStop and quit?");
    QCoreApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
    // Only the one question: the rows found do not ask a second time.
    EXPECT_EQ(desktop.messages.size(), 1u);
}

// A desktop whose close question stays open until the window's work has ended
// (the window then closes the box), and is answered at that same moment.
struct SlowToAnswerDesktop : ScriptedDesktop {
    MainWindow* window = nullptr;
    Answer message(const std::string& text, const std::string& caption, Buttons buttons,
                   MessageIcon icon) override {
        if (window) {
            released = true;
            for (int i = 0; i < 2000 && !closedByTheWindow; ++i) QTest::qWait(5);
        }
        return ScriptedDesktop::message(text, caption, buttons, icon);
    }
    void closeMessage() override { closedByTheWindow = true; }
    std::atomic<bool> released{false};
    bool closedByTheWindow = false;
};

// "Stop and quit?" answered OK as the work ends by itself (and the window closes
// the question) quits all the same, without asking about the rows.
TEST(MainWindowClose, QuittingConfirmedAfterTheWorkEndedWhileAskingCloses) {
    ScratchTree config, tree;
    setProgramDir(config.root());
    for (int i = 0; i < 3; ++i)
        tree.file("f" + std::to_string(i) + ".dll", [] {
            const Bytes bytes = library(2);
            return std::string(bytes.begin(), bytes.end());
        }());
    SlowToAnswerDesktop desktop;
    MainWindow form(desktop);
    ImportOptionsDialog importOptions(form.settings(), desktop, &form);
    form.setImportOptionsDialog(&importOptions);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.settings().importLimit = 0;
    // The scan waits at its first icon until the question is open.
    std::atomic<bool> holding{false};
    form.setRowReader([&](const fs::path& f, const RowSink& take) {
        holding = true;
        for (int i = 0; i < 500 && !desktop.released; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return readFileRows(f, take);
    });
    desktop.folderAnswers.push_back(tree.root());
    desktop.modalScripts.push_back([](QDialog& d) {
        auto& f = dynamic_cast<ImportOptionsDialog&>(d);
        f.show();
        f.confirm();
        return f.result();
    });
    desktop.answers.push_back(Answer::Ok);  // "Stop and quit?"
    form.scanFolder();
    ASSERT_TRUE(form.backgroundWorkRunning());
    while (!holding) QTest::qWait(5);
    desktop.window = &form;
    form.close();
    waitForIdle(form);
    QTest::qWait(10);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Files are still being read.\r\nStop and quit?");
    EXPECT_TRUE(desktop.closedByTheWindow);
    EXPECT_EQ(form.rowCount(), 6);  // the work ended by itself
    EXPECT_FALSE(form.isVisible());
    setProgramDir({});
}

}  // namespace
}  // namespace pellimar

namespace pellimar {
namespace {

// The scan reports through signals: a modal dialog opened while it runs (its own
// event loop) does not keep the scan's end from arriving.
TEST_F(MainWindowScanTest, ADialogOpenedDuringAScanDoesNotHoldItsEndBack) {
    for (int i = 0; i < 3; ++i) put("f" + std::to_string(i) + ".dll", library(2));
    HeldLoader held;
    form.setRowReader([&](const fs::path& f, const RowSink& take) { return held.read(f, take); });
    bool endedInsideTheDialog = false, dialogShown = false;
    QTimer probe;
    probe.setInterval(5);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!held.holding || dialogShown) return;
        dialogShown = true;
        QDialog dialog(&form);
        QTimer inside;
        inside.setInterval(5);
        QObject::connect(&inside, &QTimer::timeout, [&] {
            held.released = true;
            if (form.backgroundWorkRunning()) return;
            endedInsideTheDialog = form.rowCount() == 6 && form.statusText(1) == "Idle ..." &&
                                   form.statusText(3) == "Icons: 6";
            dialog.accept();
        });
        inside.start();
        QTimer::singleShot(10000, &dialog, &QDialog::reject);
        dialog.exec();
    });
    probe.start();
    scan();
    probe.stop();
    EXPECT_TRUE(dialogShown);
    EXPECT_TRUE(endedInsideTheDialog);
    EXPECT_EQ(form.rowCount(), 6);
}

}  // namespace
}  // namespace pellimar

namespace pellimar {
namespace {

// A folder that gives no icons is named; one that cannot be read is named with why,
// and the note does not claim it was looked through.
TEST_F(MainWindowScanTest, AFolderThatGaveNoIconsIsNamedAndOneThatCannotBeReadSaysWhy) {
    tree.file("notes.txt", "no icons here");
    scan();
    QString told = control<QLabel>(form, "progressLabel")->text();
    EXPECT_EQ(told, "no icons found in " + QString::fromStdString(tree.root().string()));
    for (bool subFolders : {true, false}) {
        form.settings().searchSubfolders = subFolders;
        scan("/proc");
        told = control<QLabel>(form, "progressLabel")->text();
        EXPECT_EQ(told,
                  "the folder /proc cannot be read: a view the system gives of itself (such "
                  "as /proc): not entered")
            << subFolders;
    }
}

}  // namespace
}  // namespace pellimar
