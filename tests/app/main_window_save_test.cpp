// The save commands of the main window, end to end: rows imported from real
// files, the export options and report dialogs scripted, files read back by Qt.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "app/main_window.h"
#include "app/window_controls.h"
#include "core/paths.h"
#include "core/row_icons.h"
#include "core/settings.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "platform/atomic_file.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"

using namespace pellimar;
using namespace pellimar::test;
namespace fx = pellimar::fixtures;
namespace fs = std::filesystem;

namespace {

QImage readImage(const fs::path& p) {
    return QImage(QString::fromStdString(p.string()));
}

struct MainSave : ::testing::Test {
    fx::TempDir dir;
    test::ScriptedDesktop desktop;
    MainWindow window{desktop};
    ReportDialog report{desktop};
    ExportOptionsDialog exportOptions{window.settings(), desktop};
    fs::path lib, ico;

    void SetUp() override {
        setProgramDir(dir.path());
        window.setReportDialog(&report);
        window.setExportOptionsDialog(&exportOptions);
        lib = dir.write("shell32.dll",
                        fx::makePe({{{fx::dibImage(fx::patternIcon(16, 16, 16), 4)}},
                                    {{fx::dibImage(fx::patternIcon(32, 32, 16), 4),
                                      fx::dibImage(fx::patternIcon(16, 16, 16), 4)}}}));
        ico = dir.write("set.ico", fx::makeIco({fx::dibImage(fx::patternIcon(16, 16, 16), 4),
                                                fx::dibImage(fx::patternIcon(48, 48), 32),
                                                fx::pngImage(fx::patternIcon(256, 256))}));
        fs::create_directory(dir.path() / "out");
    }
    // The export options answered with these sizes and format.
    void options(std::initializer_list<QCheckBox*> sizeList, QRadioButton* format) {
        // The list's own array ends with this call; the script runs later.
        std::vector<QCheckBox*> sizes(sizeList);
        desktop.modalScripts.push_back([this, sizes, format](QDialog&) {
            exportOptions.showCurrentSettings();
            for (QCheckBox* b :
                 {exportOptions.size128Box, exportOptions.size64Box, exportOptions.size48Box,
                  exportOptions.size32Box, exportOptions.size16Box})
                b->setChecked(false);
            for (QCheckBox* b : sizes) b->setChecked(true);
            format->setChecked(true);
            exportOptions.confirm();
            return exportOptions.result();
        });
    }
    std::vector<std::string> shownReport;
    void expectReport() {
        desktop.modalScripts.push_back([this](QDialog&) {
            report.showLastRun();
            shownReport.clear();
            for (int i = 0; i < report.fileList->count(); ++i)
                shownReport.push_back(report.fileList->item(i)->text().toStdString());
            shownReport.push_back(report.summaryLabel->text().toStdString());
            return 1;
        });
    }
};

}  // namespace

TEST_F(MainSave, SaveSelectedFromALibraryAsIcons) {
    addRow(window, Icon{}, lib, 0);
    addRow(window, Icon{}, lib, 1);
    resultListOf(window)->setRowSelected(1, true);
    options({exportOptions.size32Box, exportOptions.size16Box}, exportOptions.icoButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "icons.ico");
    expectReport();
    window.saveSelected();
    waitForIdle(window);
    ASSERT_EQ(desktop.saveRequests.size(), 1u);
    EXPECT_EQ(desktop.saveRequests[0].filter, "ico file(s)   (*.ico)|*.ico");
    EXPECT_EQ(shownReport, (std::vector<std::string>{"32-icons.ico", "16-icons.ico",
                                                     "2 files are saved in the directory of ..."}));
    // Pattern colours are not the standard ones: 256 colours.
    EXPECT_EQ(fx::readWholeFile(dir.path() / "out" / "32-icons.ico").size(), 2238u);
    EXPECT_EQ(readImage(dir.path() / "out" / "16-icons.ico").size(), QSize(16, 16));
    EXPECT_EQ(report.report().folder(), dir.path() / "out" / "");
    EXPECT_TRUE(desktop.errors.empty());
}

// With the export options as they come (icon files, 128 and 32 ticked), five rows
// of a program whose icons hold 32-bit images with soft edges: each file holds the
// 32 px image in 256 colours with a mask, and the report says, row by row, what
// was left out and why.
TEST_F(MainSave, AnIconFileRunSaysWhichRowsLeftOutWhichSizesAndWhy) {
    std::vector<fx::IconGroupSpec> groups;
    for (int i = 0; i < 5; ++i)
        groups.push_back({{fx::dibImage(fx::alphaPatternIcon(48, 48), 32),
                           fx::dibImage(fx::alphaPatternIcon(32, 32), 32),
                           fx::dibImage(fx::alphaPatternIcon(16, 16), 32)}});
    const fs::path wordpad = dir.write("wordpad.exe", fx::makePe(groups));
    for (int i = 0; i < 5; ++i) addRow(window, Icon{}, wordpad, i);
    options({exportOptions.size128Box, exportOptions.size32Box}, exportOptions.icoButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "w.ico");
    QStringList told;
    desktop.modalScripts.push_back([&](QDialog&) {
        report.showLastRun();
        for (int i = 0; i < report.notSavedList->count(); ++i)
            told << report.notSavedList->item(i)->text();
        return 1;
    });
    window.saveAll();
    waitForIdle(window);
    EXPECT_EQ(report.report().files().size(), 5u);
    EXPECT_EQ(readImage(dir.path() / "out" / "w-001.ico").size(), QSize(32, 32));
    ASSERT_EQ(told.size(), 6) << told.join('\n').toStdString();
    EXPECT_TRUE(told[0].contains("icon files of programs are saved at 32 and 16 pixels"));
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(told[i], QString("wordpad.exe-%1: the size 128 px left out; its 32-bit colours "
                                   "reduced to 16 or 256; its soft transparency reduced to a "
                                   "1-bit mask")
                               .arg(i, 3, 10, QChar('0')));
    // As stored, every image: nothing is left out, and nothing is said.
    options({exportOptions.size128Box, exportOptions.size32Box}, exportOptions.originalButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "s.ico");
    told.clear();
    desktop.modalScripts.push_back([&](QDialog&) {
        report.showLastRun();
        told << QString::number(report.notSavedList->count());
        return 1;
    });
    window.saveAll();
    waitForIdle(window);
    EXPECT_EQ(told, QStringList({"0"}));
    EXPECT_EQ(fx::readWholeFile(dir.path() / "out" / "s-001.ico").size() > 48u * 48u * 4u, true);
}

TEST_F(MainSave, SaveAllFromAnIconFileAsBitmaps) {
    for (int i = 0; i < 3; ++i) addRow(window, Icon{}, ico, i);
    options({exportOptions.size48Box, exportOptions.size16Box}, exportOptions.bmpButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "x.png");  // becomes x.bmp
    expectReport();
    resultListOf(window)->setRowSelected(0, true);
    // Save All saves every row by itself: no button of the window takes part, and
    // the selection stays as it was.
    control<QToolButton>(window, "saveButton")->setEnabled(false);
    window.saveAll();
    EXPECT_TRUE(window.backgroundWorkRunning());
    waitForIdle(window);
    EXPECT_EQ(window.selectedCount(), 1);
    EXPECT_EQ(shownReport, (std::vector<std::string>{"16-x-001.bmp", "48-x-002.bmp",
                                                     "2 files are saved in the directory of ..."}));
    QImage big = readImage(dir.path() / "out" / "48-x-002.bmp");
    ASSERT_EQ(big.size(), QSize(48, 48));
    EXPECT_EQ(big.pixel(0, 5) & 0xFFFFFF, 0xFFFFFFu);  // the transparent column, on white
    EXPECT_EQ(big.pixel(5, 5) & 0xFFFFFF, fx::patternIcon(48, 48).pixel(5, 5) & 0xFFFFFF);
    EXPECT_EQ(window.settings().saveFormat, "bmp");
}

TEST_F(MainSave, UnwritableFolderEndsTheRunWithTheErrorBox) {
    addRow(window, Icon{}, lib, 1);
    addRow(window, Icon{}, lib, 1);
    resultListOf(window)->selectAll();
    std::ofstream(dir.path() / "plain") << "x";
    options({exportOptions.size32Box}, exportOptions.jpgButton);
    desktop.saveAnswers.push_back(dir.path() / "plain" / "p.jpg");
    window.saveSelected();
    waitForIdle(window);
    ASSERT_EQ(desktop.errors.size(), 1u);
    EXPECT_NE(desktop.errors[0].find("p-001.jpg"), std::string::npos);
    ASSERT_EQ(desktop.modalForms.size(), 2u);  // the report follows
    EXPECT_EQ(desktop.modalForms[1], &report);
}

namespace {
fs::path g_appearing;
}  // namespace

// A run that ends at a file it cannot write says why in the error box, and then
// tells the rest as any run does: the rows it could not read, and the report with
// the files it wrote, the rows it left out, the files it kept (one that came to
// its name meanwhile among them) and where it ended.
TEST_F(MainSave, ARunThatEndsAtAFileStillTellsWhatItDid) {
    addRow(window, Icon{}, lib, 1);                      // p-001: appears meanwhile, kept
    addRow(window, Icon{}, lib, 1);                      // p-002: written
    addRow(window, Icon{}, dir.path() / "gone.dll", 0);  // p-003: cannot be read
    addRow(window, Icon{}, ico, 2);                      // p-004: 256 pixels, not chosen
    addRow(window, Icon{}, lib, 1);                      // p-005: exists, kept
    addRow(window, Icon{}, lib, 1);                      // p-006: a folder, the run ends
    addRow(window, Icon{}, lib, 1);                      // p-007: not reached
    resultListOf(window)->selectAll();
    const fs::path out = dir.path() / "out";
    std::ofstream(out / "p-005.jpg") << "mine";
    fs::create_directory(out / "p-006.jpg");
    g_appearing = out / "p-001.jpg";
    options({exportOptions.size32Box}, exportOptions.jpgButton);
    desktop.saveAnswers.push_back(out / "p.jpg");
    desktop.choices.push_back(1);  // Skip existing
    std::vector<std::string> notSaved;
    desktop.modalScripts.push_back([&](QDialog&) {
        report.showLastRun();
        for (int i = 0; i < report.notSavedList->count(); ++i)
            notSaved.push_back(report.notSavedList->item(i)->text().toStdString());
        return 1;
    });
    // The first step that changes the disk comes after the question was answered.
    setWriteStepHook([](std::uint64_t step) {
        if (step == 1) std::ofstream(g_appearing) << "theirs";
    });
    window.saveSelected();
    waitForIdle(window);
    setWriteStepHook(nullptr);
    const std::string stop =
        "Cannot create file \"" + (out / "p-006.jpg").string() + "\". Is a directory";
    EXPECT_EQ(desktop.errors, std::vector<std::string>{stop});
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "These rows could not be read, so nothing was saved of them:\n"
              "gone.dll-001: cannot open: No such file or directory");
    ASSERT_EQ(desktop.modalForms.size(), 2u);
    EXPECT_EQ(desktop.modalForms[1], &report);
    EXPECT_EQ(report.report().files(), std::vector<fs::path>{"p-002.jpg"});
    // The kept files come last, in the order the writes found them in.
    ASSERT_EQ(notSaved.size(), 5u);
    std::sort(notSaved.begin() + 3, notSaved.end());
    EXPECT_EQ(notSaved, (std::vector<std::string>{
                            "gone.dll-001: cannot open: No such file or directory",
                            "set.ico-003: its image is 256 x 256, and that size is not chosen",
                            stop + " (saving ended there: nothing after it was saved)",
                            "p-001.jpg: exists already, kept as it was",
                            "p-005.jpg: exists already, kept as it was"}));
    EXPECT_EQ(fx::readWholeFile(out / "p-001.jpg"), (fx::Bytes{'t', 'h', 'e', 'i', 'r', 's'}));
    EXPECT_FALSE(fs::exists(out / "p-007.jpg"));
}

TEST_F(MainSave, NothingSelectedOrCancelledDoesNothing) {
    addRow(window, Icon{}, lib, 1);
    window.saveSelected();
    EXPECT_TRUE(desktop.modalForms.empty());
    resultListOf(window)->selectAll();
    desktop.modalScripts.push_back([](QDialog&) { return 0; });  // close box
    window.saveSelected();
    EXPECT_EQ(desktop.modalForms.size(), 1u);
    EXPECT_TRUE(desktop.saveRequests.empty());
    window.showReport();
    ASSERT_EQ(desktop.modalForms.size(), 2u);
    EXPECT_EQ(desktop.modalForms[1], &report);
    window.showExportOptions();
    EXPECT_EQ(desktop.modalForms[2], &exportOptions);
}

// What a run could not do is told by the window, with why, before the report.
TEST_F(MainSave, RowsThatCannotBeReadAreToldWithWhyAndTheRestIsSaved) {
    addRow(window, Icon{}, lib, 1);
    addRow(window, Icon{}, dir.path() / "gone.dll", 0);
    addRow(window, Icon{}, ico, 9);  // past the images of its file
    resultListOf(window)->selectAll();
    options({exportOptions.size32Box}, exportOptions.icoButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "r.ico");
    expectReport();
    window.saveSelected();
    waitForIdle(window);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].caption, "notice");
    EXPECT_EQ(desktop.messages[0].text,
              "These rows could not be read, so nothing was saved of them:\n"
              "gone.dll-001: cannot open: No such file or directory\n"
              "1 more rows could not be read either.");
    EXPECT_EQ(report.report().unreadableRows().size(), 2u);
    EXPECT_EQ(shownReport,
              (std::vector<std::string>{"r-001.ico", "1 files are saved in the directory of ..."}));
    EXPECT_TRUE(desktop.errors.empty());
}

// Files of the names a run would write that exist already are asked about once,
// before anything is written: Skip keeps them byte for byte, Replace writes them,
// Cancel writes nothing at all.
TEST_F(MainSave, ExistingFilesAreAskedAboutOnceBeforeAnythingIsWritten) {
    for (int i = 0; i < 3; ++i) addRow(window, Icon{}, lib, 1);
    const fs::path out = dir.path() / "out";
    std::ofstream(out / "x-001.ico") << "first";
    std::ofstream(out / "x-003.ico") << "third";
    auto save = [&](int choice) {
        options({exportOptions.size32Box}, exportOptions.icoButton);
        if (choice != 2) expectReport();
        desktop.saveAnswers.push_back(out / "x.ico");
        desktop.choices.push_back(choice);
        desktop.questions.clear();
        window.saveAll();
        waitForIdle(window);
        ASSERT_EQ(desktop.questions.size(), 1u);
    };
    save(2);  // Cancel
    EXPECT_EQ(desktop.questions[0].text,
              "2 files already exist: replace them?\n\nx-001.ico\nx-003.ico");
    EXPECT_EQ(control<QLabel>(window, "progressLabel")->text(),
              "Saving cancelled: nothing was written.");
    EXPECT_EQ(desktop.questions[0].buttons,
              (std::vector<std::string>{"&Replace", "&Skip existing", "Cancel"}));
    EXPECT_FALSE(fs::exists(out / "x-002.ico"));
    EXPECT_EQ(desktop.modalForms.size(), 1u);  // no report for a run that never began

    save(1);  // Skip existing
    EXPECT_EQ(fx::readWholeFile(out / "x-001.ico"),
              std::vector<std::uint8_t>({'f', 'i', 'r', 's', 't'}));
    EXPECT_EQ(fx::readWholeFile(out / "x-003.ico"),
              std::vector<std::uint8_t>({'t', 'h', 'i', 'r', 'd'}));
    EXPECT_EQ(shownReport,
              (std::vector<std::string>{"x-002.ico", "1 files are saved in the directory of ..."}));
    EXPECT_EQ(report.report().kept(), (std::vector<fs::path>{"x-001.ico", "x-003.ico"}));
    EXPECT_EQ(report.notSavedList->count(), 2);

    save(0);  // Replace: every one of them now exists
    EXPECT_EQ(desktop.questions[0].text,
              "3 files already exist: replace them?\n\nx-001.ico\nx-002.ico\nx-003.ico");
    EXPECT_EQ(readImage(out / "x-001.ico").size(), QSize(32, 32));
    EXPECT_EQ(shownReport.size(), 4u);
    EXPECT_TRUE(desktop.errors.empty());
}

// While a save runs the window stays usable, the commands that change the list
// are held, and the status bar shows how far it has come.
TEST_F(MainSave, SavingHoldsTheListCommandsAndShowsProgress) {
    for (int i = 0; i < 40; ++i) addRow(window, Icon{}, lib, i % 2);
    options({exportOptions.size32Box, exportOptions.size16Box}, exportOptions.pngButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "p.png");
    expectReport();
    window.saveAll();
    ASSERT_TRUE(window.backgroundWorkRunning());
    EXPECT_EQ(window.statusText(1), "Saving ...");
    EXPECT_FALSE(control<QToolButton>(window, "stopButton")->isHidden());
    window.routeKey(QKeyCombination(Qt::SHIFT, Qt::Key_Delete));  // Clear All: held
    waitForIdle(window);
    EXPECT_EQ(window.rowCount(), 40);
    EXPECT_EQ(control<QLabel>(window, "progressLabel")->text(), "Saving: row 40 of 40");
    EXPECT_EQ(shownReport.size(), 81u);
    EXPECT_EQ(window.statusText(1), "Idle ...");
}

// Stop ends a save before its next row: the files written so far stay, the
// status bar says after which row it ended, and the report shows what was written.
TEST_F(MainSave, StopEndsTheSaveBeforeItsNextRowAndSaysWhere) {
    constexpr int kRows = 200;
    for (int i = 0; i < kRows; ++i) addRow(window, Icon{}, lib, i % 2);
    options({exportOptions.size32Box}, exportOptions.pngButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "p.png");
    expectReport();
    window.saveAll();
    ASSERT_TRUE(window.backgroundWorkRunning());
    window.stopBackgroundWork();
    EXPECT_EQ(control<QLabel>(window, "progressLabel")->text(), "Stopping ...");
    EXPECT_FALSE(control<QToolButton>(window, "stopButton")->isEnabled());
    waitForIdle(window);
    const int done = report.report().rowsDoneWhenStopped();
    ASSERT_TRUE(report.report().stoppedByRequest());
    EXPECT_LT(done, kRows);
    EXPECT_EQ(control<QLabel>(window, "progressLabel")->text(),
              QString("Saving stopped after row %1 of %2; the files written so far stay.")
                  .arg(done)
                  .arg(kRows));
    // What was written before the stop is what the report lists.
    ASSERT_FALSE(shownReport.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "out"), fs::directory_iterator()),
              std::ptrdiff_t(shownReport.size() - 1));
    EXPECT_EQ(window.statusText(1), "Idle ...");
    EXPECT_TRUE(desktop.errors.empty());
}

// What goes wrong while the report is shown is told in the error box, not dropped.
TEST_F(MainSave, AFailureShowingTheReportReachesTheErrorBox) {
    addRow(window, Icon{}, lib, 1);
    resultListOf(window)->selectAll();
    options({exportOptions.size32Box}, exportOptions.icoButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "r.ico");
    desktop.modalScripts.push_back(
        [](QDialog&) -> int { throw std::runtime_error("the report could not be laid out"); });
    window.saveSelected();
    waitForIdle(window);
    EXPECT_EQ(desktop.errors, std::vector<std::string>{"the report could not be laid out"});
    EXPECT_FALSE(fs::is_empty(dir.path() / "out"));  // the run itself went through
    EXPECT_FALSE(window.backgroundWorkRunning());
}

// Another user's link at a folder of the name chosen or at the name itself, in a
// sticky folder of root's and in an open folder of that user, with the kernel's
// protection of links off and on: the save writes nothing where the link points
// and the error box says why.
TEST_F(MainSave, NothingIsWrittenWhereAnotherUsersLinkPoints) {
    if (!fx::canActAsOthers()) GTEST_SKIP() << "planting another user's link takes root";
    addRow(window, Icon{}, lib, 1);
    resultListOf(window)->setRowSelected(0, true);
    int n = 0;
    for (const int kernelRule : {0, 1}) {
        const fx::ProtectedSymlinks setting(kernelRule);
        if (!setting.set() && kernelRule == 1) continue;  // not the test's to set here
        for (const fx::LinkPlacement& where : fx::sharedLinkPlacements()) {
            SCOPED_TRACE(where.describe() + ", protected_symlinks " + std::to_string(kernelRule));
            const fs::path base = dir.path() / ("case-" + std::to_string(n++));
            fs::create_directory(base);
            const fx::LinkScene scene = fx::plantLinkScene(base, where, "saved.ico");
            const auto before = fx::treeOf(scene.victim);
            options({exportOptions.size32Box}, exportOptions.originalButton);
            desktop.saveAnswers.push_back(scene.out / "saved.ico");
            if (!where.onTheWay) desktop.choices.push_back(0);  // the link's name exists: replace
            const std::size_t errors = desktop.errors.size();
            window.saveSelected();
            waitForIdle(window);
            ASSERT_EQ(desktop.errors.size(), errors + 1);
            EXPECT_NE(desktop.errors.back().find("is a symbolic link"), std::string::npos)
                << desktop.errors.back();
            EXPECT_EQ(fx::treeOf(scene.victim), before);
            EXPECT_TRUE(fs::is_symlink(scene.link));
        }
    }
    EXPECT_TRUE(desktop.choices.empty());
}

// Another user's link in a shared folder, chosen as the name to save under, is
// refused with the reason; the file it points to stays as it was.
TEST_F(MainSave, ALinkPlantedInASharedFolderIsRefusedWithWhy) {
    const fs::path victim = dir.write("victim.txt", fx::Bytes{'k', 'e', 'y'});
    const fs::path link = fx::plantLinkInSharedFolder(dir.path(), "shared", "saved.ico", victim);
    if (link.empty()) GTEST_SKIP() << "planting another user's link takes root";
    addRow(window, Icon{}, lib, 1);
    resultListOf(window)->setRowSelected(0, true);
    options({exportOptions.size32Box}, exportOptions.originalButton);
    desktop.saveAnswers.push_back(link);
    desktop.choices.push_back(0);  // the link's name exists: replace it
    window.saveSelected();
    waitForIdle(window);
    ASSERT_EQ(desktop.questions.size(), 1u);
    ASSERT_EQ(desktop.errors.size(), 1u);
    EXPECT_NE(desktop.errors[0].find("saved.ico\". It is a symbolic link that someone else put"),
              std::string::npos)
        << desktop.errors[0];
    EXPECT_EQ(fx::readWholeFile(victim), (fx::Bytes{'k', 'e', 'y'}));
    EXPECT_TRUE(fs::is_symlink(link));
}

namespace {

// Reads the rows' icons from their files for a save, holding the `holdAt`-th read
// (from 1) until released.
struct HeldSaveReader {
    explicit HeldSaveReader(int at) : holdAt(at) {}
    const int holdAt;
    std::atomic<int> reads{0};
    std::atomic<bool> holding{false}, released{false};

    RowGroupSource source() {
        return [this](const fs::path& file, int position, ResourceKind kind) {
            if (++reads == holdAt) {
                holding = true;
                for (int i = 0; i < 2000 && !released; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return readRowGroup(file, position, kind);
        };
    }
};

// Runs events until `done` says so, for at most ten seconds.
template <typename F>
bool eventually(F done) {
    for (int i = 0; i < 2000 && !done(); ++i) QTest::qWait(5);
    return done();
}

struct QuitDuringSave : MainSave {
    static constexpr int kRows = 5;
    void startSave(HeldSaveReader& reader) {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        for (int i = 0; i < kRows; ++i) addRow(window, Icon{}, lib, i % 2);
        window.setSaveReader(reader.source());
        options({exportOptions.size32Box}, exportOptions.pngButton);
        desktop.saveAnswers.push_back(dir.path() / "out" / "p.png");
        window.saveAll();
        ASSERT_TRUE(eventually([&] { return reader.holding.load(); }));
    }
    std::ptrdiff_t filesWritten() const {
        return std::distance(fs::directory_iterator(dir.path() / "out"), fs::directory_iterator());
    }
};

}  // namespace

// While "Stop and quit?" is open the save writes nothing more; Stop and quit ends
// it where it was held, shows no report, and the window goes.
TEST_F(QuitDuringSave, TheSaveWaitsWhileAskedAndStopAndQuitEndsItWithoutAReport) {
    HeldSaveReader reader(1);
    startSave(reader);
    expectReport();  // there must be none: the script stays unused
    bool held = false;
    int readsWhileHeld = -1;
    desktop.whileMessageOpen.push_back([&] {
        reader.released = true;
        held = eventually([&] { return window.backgroundWorkHeld(); });
        QTest::qWait(50);
        readsWhileHeld = reader.reads;
    });
    desktop.answers.push_back(Answer::Ok);
    EXPECT_FALSE(window.close());
    waitForIdle(window);
    QCoreApplication::processEvents();
    EXPECT_TRUE(held);
    // The row being read when the question came was finished, and no other begun.
    EXPECT_EQ(readsWhileHeld, 1);
    EXPECT_EQ(reader.reads, 1);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Files are still being saved.\nStop and quit?");
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(shownReport.empty());
    EXPECT_EQ(desktop.modalScripts.size(), 1u);
    EXPECT_EQ(filesWritten(), 1);
    EXPECT_TRUE(desktop.errors.empty());
}

// Cancel: the save goes on from where it was held, to its end and its report.
TEST_F(QuitDuringSave, NotQuittingLetsTheSaveGoOn) {
    HeldSaveReader reader(1);
    startSave(reader);
    expectReport();
    desktop.whileMessageOpen.push_back([&] {
        reader.released = true;
        eventually([&] { return window.backgroundWorkHeld(); });
    });
    desktop.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(window.close());
    waitForIdle(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(reader.reads, kRows);
    EXPECT_EQ(filesWritten(), kRows);
    EXPECT_EQ(shownReport.size(), std::size_t(kRows) + 1);
}

// A save that ends while the question is open closes the question; its report is
// shown after, not over it, and the window stays.
TEST_F(QuitDuringSave, ASaveThatEndsWhileAskingClosesTheQuestion) {
    HeldSaveReader reader(kRows);  // held inside its last row: no pause can stop it
    startSave(reader);
    expectReport();
    bool closedByTheWindow = false, reportOverTheQuestion = false;
    desktop.whileMessageOpen.push_back([&] {
        reader.released = true;
        closedByTheWindow = eventually([&] { return desktop.closedMessages == 1; });
        reportOverTheQuestion = !shownReport.empty();
    });
    EXPECT_FALSE(window.close());
    waitForIdle(window);
    EXPECT_TRUE(closedByTheWindow);
    EXPECT_FALSE(reportOverTheQuestion);
    EXPECT_EQ(shownReport.size(), std::size_t(kRows) + 1);
    EXPECT_EQ(filesWritten(), kRows);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(desktop.messages.size(), 1u);
}

// The quit question comes only when something would be lost: a row that no save
// has written since it came. A row the export options leave out, or one whose
// files could not all be written, still counts as unsaved.
TEST_F(MainSave, QuittingAsksOnlyWhileARowIsUnsaved) {
    window.show();
    addRow(window, Icon{}, lib, 0);
    addRow(window, Icon{}, ico, 0);  // a 16 px image: left out at 32 px
    options({exportOptions.size32Box}, exportOptions.icoButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "a.ico");
    expectReport();
    window.saveAll();
    waitForIdle(window);
    ASSERT_EQ(shownReport.size(), 2u);  // one file and the summary
    desktop.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(window.close());  // the icon file's row was not written
    ASSERT_EQ(desktop.messages.size(), 1u);
    // Saving that row at its own size leaves nothing unsaved.
    resultListOf(window)->setRowSelected(1, true);
    options({exportOptions.size16Box}, exportOptions.icoButton);
    desktop.saveAnswers.push_back(dir.path() / "out" / "b.ico");
    expectReport();
    window.saveSelected();
    waitForIdle(window);
    ASSERT_EQ(shownReport.size(), 2u);
    // Sorting and the view change nothing that could be lost.
    window.sortByColumn(ResultList::ColPath);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(desktop.messages.size(), 1u);
    // A row that comes later asks again.
    window.show();
    addRow(window, Icon{}, lib, 1);
    desktop.answers.push_back(Answer::Cancel);
    EXPECT_FALSE(window.close());
    EXPECT_EQ(desktop.messages.size(), 2u);
    // Undo brings back rows as they were: saved ones stay saved.
    resultListOf(window)->setRowSelected(2, true);
    window.deleteSelected();
    EXPECT_TRUE(window.close());
}
