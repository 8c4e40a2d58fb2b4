// Files in and icons out of the main window: paths from the command line and from
// drops, rows dragged out and copied as PNG pictures, and F1's help.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <stdexcept>

#include "app/main_window.h"
#include "app/result_list.h"
#include "app/window_controls.h"
#include "core/paths.h"
#include "core/settings.h"
#include "platform/icon_png.h"
#include "platform/png_codec.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"
#include "viewer/icon_viewer.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using namespace fixtures;
using test::ScriptedDesktop;
using test::TempProgramDir;
using namespace pellimar::test;

// A library of `count` icons; icon k holds a 16 px, a 48 px and a 32 px image.
Bytes library(int count) {
    std::vector<IconGroupSpec> groups;
    for (int k = 0; k < count; ++k)
        groups.push_back(
            {{dibImage(solidIcon(16, 16, patternColor(k)), 8), pngImage(alphaPatternIcon(48, 48)),
              dibImage(patternIcon(32, 32, 16), 4)}});
    return makePe(groups);
}

QUrl urlOf(const fs::path& p) {
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(p.native())));
}

// The picture a PNG holds, as RGBA.
RgbaImage decoded(const QByteArray& png) {
    auto image = decodePng(
        std::span(reinterpret_cast<const std::uint8_t*>(png.constData()), std::size_t(png.size())));
    return image ? *image : RgbaImage{};
}

RgbaImage decodedFile(const fs::path& file) {
    const Bytes bytes = readWholeFile(file);
    auto image = decodePng(bytes);
    return image ? *image : RgbaImage{};
}

class MainWindowOpenTest : public ::testing::Test {
  protected:
    MainWindowOpenTest() : program_("open") {
        setPrivateTempDir(files_.path() / "private");
        fs::create_directories(files_.path() / "private");
        AppSettings& s = form_.settings();
        s.importExe = s.importDll = s.importIco = true;
        s.importIcl = false;
        s.importLimit = 0;
        s.searchSubfolders = true;
        s.clearResult = false;
    }
    ~MainWindowOpenTest() override { setPrivateTempDir({}); }

    // Drops `mime` on the window's list and lets the queued opening run.
    bool drop(QMimeData& mime) {
        const QPoint at(20, 80);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form_, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&form_, &dropped);
        QCoreApplication::processEvents();
        waitForIdle(form_);
        return dropped.isAccepted();
    }

    TempProgramDir program_;
    TempDir files_;
    ScriptedDesktop desktop_;
    MainWindow form_{desktop_};
};

TEST_F(MainWindowOpenTest, FilesAreImportedAndFoldersScannedWithoutAsking) {
    const fs::path dll = files_.write("three.dll", library(3));
    fs::create_directories(files_.path() / "folder" / "sub");
    files_.write("folder/two.exe", library(2));
    files_.write("folder/sub/one.dll", library(1));
    files_.write("folder/skipped.icl", library(4));  // not among the kinds to scan

    form_.openPaths({dll, files_.path() / "folder"});

    waitForIdle(form_);
    EXPECT_EQ(form_.rowCount(), 6);
    EXPECT_EQ(form_.statusText(1), "Idle ...");
    EXPECT_EQ(form_.statusText(3), "Icons: 6");
    EXPECT_EQ(form_.scanIconCount(), 3);
    // No dialog of either command was shown.
    EXPECT_TRUE(desktop_.openRequests.empty());
    EXPECT_TRUE(desktop_.folderTitles.empty());
    EXPECT_TRUE(desktop_.modalForms.empty());
    EXPECT_TRUE(desktop_.messages.empty());
    const auto rows = form_.rows();
    EXPECT_EQ(rows[0].source, dll);
    EXPECT_EQ(rows[2].iconPosition, 2);
}

TEST_F(MainWindowOpenTest, ClearResultEmptiesTheListOnceForAllPaths) {
    const fs::path a = files_.write("a.dll", library(2));
    const fs::path b = files_.write("b.dll", library(3));
    form_.openPaths({a});
    waitForIdle(form_);
    form_.settings().clearResult = true;
    // A relative path is taken from the working folder.
    const fs::path old = fs::current_path();
    fs::current_path(files_.path());
    form_.openPaths({"a.dll", b});
    waitForIdle(form_);
    fs::current_path(old);
    EXPECT_EQ(form_.rowCount(), 5);
    EXPECT_EQ(form_.rows()[0].source, a);
}

TEST_F(MainWindowOpenTest, AnIconFileOpensTheViewerAndAMissingPathIsReported) {
    const fs::path ico = files_.write(
        "two.ico", makeIco({dibImage(patternIcon(16, 16), 8), dibImage(patternIcon(32, 32), 32)}));
    fs::path viewed;
    desktop_.modalScripts.push_back([&](QDialog& d) {
        viewed = dynamic_cast<IconViewer&>(d).state().viewedFile;
        return 0;
    });
    form_.openPaths({ico, files_.path() / "gone.dll"});
    waitForIdle(form_);
    EXPECT_EQ(viewed, ico);
    EXPECT_EQ(form_.rowCount(), 0);
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_NE(desktop_.messages[0].text.find("gone.dll"), std::string::npos);
}

// Paths that give no row say why in the status bar, and every path that is not
// there is named in one message before anything else is opened.
TEST_F(MainWindowOpenTest, WhatGaveNoRowIsToldAndEveryMissingPathIsNamedAtOnce) {
    const fs::path pipe = files_.path() / "pipe.exe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path zero = files_.path() / "zero.dll";
    fs::create_symlink("/dev/zero", zero);
    const fs::path none = files_.write("none.exe", makePe({}));
    const fs::path one = files_.write("one.dll", library(1));
    form_.openPaths(
        {files_.path() / "gone1.dll", pipe, zero, none, files_.path() / "gone2.exe", one});
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0].text, "Cannot find these 2 files or folders:\n" +
                                             (files_.path() / "gone1.dll").string() + "\n" +
                                             (files_.path() / "gone2.exe").string());
    waitForIdle(form_);
    EXPECT_EQ(form_.rowCount(), 1);
    const QString told = control<QLabel>(form_, "progressLabel")->text();
    EXPECT_FALSE(control<QLabel>(form_, "progressLabel")->isHidden());
    EXPECT_TRUE(told.contains("no icons in pipe.exe: not a regular file")) << told.toStdString();
    EXPECT_TRUE(told.contains("no icons in zero.dll: not a regular file")) << told.toStdString();
    EXPECT_TRUE(told.contains("no icons in none.exe: ")) << told.toStdString();
    EXPECT_FALSE(told.contains("one.dll")) << told.toStdString();
}

TEST_F(MainWindowOpenTest, DroppedFilesAndFoldersOpenAsOnTheCommandLine) {
    const fs::path dll = files_.write("three.dll", library(3));
    fs::create_directories(files_.path() / "folder");
    files_.write("folder/two.exe", library(2));
    QMimeData mime;
    mime.setUrls({urlOf(dll), urlOf(files_.path() / "folder"), QUrl("https://example.org/x.dll")});
    EXPECT_TRUE(drop(mime));
    EXPECT_EQ(form_.rowCount(), 5);
    EXPECT_TRUE(desktop_.folderTitles.empty());
    EXPECT_TRUE(desktop_.modalForms.empty());

    // Text, or only addresses that are not local files, is refused.
    QMimeData text;
    text.setText("/etc/passwd");
    EXPECT_FALSE(drop(text));
    QMimeData remote;
    remote.setUrls({QUrl("https://example.org/x.dll")});
    EXPECT_FALSE(drop(remote));
    EXPECT_EQ(form_.rowCount(), 5);
}

TEST_F(MainWindowOpenTest, DraggedRowsArePngFilesOfTheLargestImage) {
    const fs::path dll = files_.write("lib.dll", library(2));
    form_.openPaths({dll});
    waitForIdle(form_);
    ASSERT_EQ(form_.rowCount(), 2);
    // The largest image of each group: the 48 px one with its alpha.
    const RgbaImage expected = iconToRgba(alphaPatternIcon(48, 48));

    QModelIndexList indexes{resultListOf(form_)->model()->index(0, 0),
                            resultListOf(form_)->model()->index(1, 2)};
    std::unique_ptr<QMimeData> data(resultListOf(form_)->model()->mimeData(indexes));
    ASSERT_TRUE(data);
    const QList<QUrl> urls = data->urls();
    ASSERT_EQ(urls.size(), 2);
    for (const QUrl& url : urls) {
        const fs::path file = QFile::encodeName(url.toLocalFile()).toStdString();
        EXPECT_EQ(file.parent_path().parent_path(), privateTempDir());
        const RgbaImage image = decodedFile(file);
        EXPECT_EQ(image.width, 48);
        EXPECT_EQ(image.rgba, expected.rgba);
    }
    EXPECT_EQ(fs::path(urls[0].toLocalFile().toStdString()).filename(), "lib.dll-001.png");
    EXPECT_EQ(decoded(data->data("image/png")).rgba, expected.rgba);
    const QImage image = qvariant_cast<QImage>(data->imageData());
    EXPECT_EQ(image.size(), QSize(48, 48));
    EXPECT_EQ(image.pixel(0, 5) >> 24, 0u);  // the transparent first column

    // A second drag replaces the files of the first.
    std::unique_ptr<QMimeData> again(resultListOf(form_)->model()->mimeData({indexes[1]}));
    ASSERT_TRUE(again);
    int left = 0;
    for (const auto& e : fs::directory_iterator(privateTempDir() / "dragged"))
        left += e.is_regular_file();
    EXPECT_EQ(left, 1);
}

TEST_F(MainWindowOpenTest, CtrlCCopiesTheSelectedRowsIcon) {
    // An opaque group: its mask makes the transparency.
    Icon opaque = patternIcon(64, 64);
    const fs::path dll = files_.write(
        "lib.dll", makePe({{{dibImage(patternIcon(16, 16), 8)}},
                           {{dibImage(patternIcon(32, 32), 24), dibImage(opaque, 24)}}}));
    form_.openPaths({dll});
    waitForIdle(form_);
    ASSERT_EQ(form_.rowCount(), 2);
    QApplication::clipboard()->clear();
    resultListOf(form_)->setRowSelected(1, true);
    form_.show();
    form_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form_));
    QTest::keyClick(resultListOf(form_)->currentView(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_TRUE(copied);
    const RgbaImage image = decoded(copied->data("image/png"));
    EXPECT_EQ(image.width, 64);
    EXPECT_EQ(image.rgba, iconToRgba(opaque).rgba);
    EXPECT_EQ(image.rgba[3], 0);        // masked: transparent
    EXPECT_EQ(image.rgba[4 + 3], 255);  // the rest opaque
    ASSERT_EQ(copied->urls().size(), 1);
    EXPECT_EQ(decodedFile(copied->urls()[0].toLocalFile().toStdString()).rgba,
              iconToRgba(opaque).rgba);
}

// Ctrl+C on a row that gives no picture copies nothing and says why: the icon
// cannot be read, or its picture cannot be written where copies go.
TEST_F(MainWindowOpenTest, CtrlCOnARowThatGivesNoPictureSaysWhy) {
    const fs::path dll = files_.write("lib.dll", library(1));
    struct Case {
        fs::path source;
        bool blockCopies;  // a file where the copied pictures' folder would be
        std::string told;
    } cases[] = {
        {files_.path() / "gone.dll", false,
         "Cannot copy gone.dll, icon 1: cannot open: No such file or directory."},
        {dll, true,
         "Cannot copy lib.dll, icon 1: its picture could not be written in " +
             (files_.path() / "private" / "copied").string() + " (cannot write: Not a directory)."},
    };
    form_.show();
    for (const Case& c : cases) {
        form_.clearAll();
        addRow(form_, Icon{}, c.source, 0);
        resultListOf(form_)->setRowSelected(0, true);
        if (c.blockCopies) {
            fs::remove_all(files_.path() / "private" / "copied");
            TempProgramDir::writeFile(files_.path() / "private" / "copied", "x");
        }
        desktop_.messages.clear();
        QApplication::clipboard()->setText("before");
        form_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form_));
        QTest::keyClick(resultListOf(form_)->currentView(), Qt::Key_C, Qt::ControlModifier);
        ASSERT_EQ(desktop_.messages.size(), 1u) << c.told;
        EXPECT_EQ(desktop_.messages[0].text, c.told);
        EXPECT_EQ(desktop_.messages[0].icon, MessageIcon::Warning);
        EXPECT_EQ(QApplication::clipboard()->text(), "before");
    }
}

// A desktop that fails when it is asked to open a document.
struct FailingDocumentDesktop : ScriptedDesktop {
    bool openDocument(const fs::path& path) override {
        documents.push_back(path);
        throw std::runtime_error("no process could be started");
    }
};

TEST(MainWindowHelp, AFailureOpeningTheHelpIsToldWithWhy) {
    TempProgramDir program("help-fails");
    TempProgramDir::writeFile(program.program() / "help.chm", "ITSF");
    FailingDocumentDesktop desktop;
    MainWindow form(desktop);
    form.showHelp();
    ASSERT_EQ(desktop.documents.size(), 1u);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "The help cannot be opened: no process could be started.");
    EXPECT_EQ(desktop.messages[0].caption, "Help");
    EXPECT_TRUE(desktop.errors.empty());
}

TEST_F(MainWindowOpenTest, HelpOpensTheHelpFileElseThePagesElseSaysSo) {
    const fs::path chm = program_.program() / "help.chm";
    const fs::path pages = program_.program() / "help" / "index.html";
    TempProgramDir::writeFile(chm, "ITSF");
    fs::create_directories(pages.parent_path());
    TempProgramDir::writeFile(pages, "<html></html>");

    desktop_.documentAnswers = {true};
    form_.showHelp();
    EXPECT_EQ(desktop_.documents, std::vector<fs::path>{chm});

    desktop_.documents.clear();
    desktop_.documentAnswers = {false, true};
    form_.showHelp();
    EXPECT_EQ(desktop_.documents, (std::vector<fs::path>{chm, pages}));
    EXPECT_TRUE(desktop_.messages.empty());

    desktop_.documents.clear();
    desktop_.documentAnswers = {false, false};
    form_.showHelp();
    EXPECT_EQ(desktop_.documents.size(), 2u);
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_NE(desktop_.messages[0].text.find("help.chm"), std::string::npos);
    EXPECT_NE(desktop_.messages[0].text.find("index.html"), std::string::npos);
}

}  // namespace
}  // namespace pellimar

namespace pellimar {
namespace {

// "Clear result" empties the list only for an import that brings rows: a file that
// cannot be read, a program without icons and an icon file (which opens the
// viewer) each leave the rows as they were, by the File menu and by the command
// line alike; a file with icons then clears them once.
TEST_F(MainWindowOpenTest, AFailedImportKeepsTheListWhateverClearResultSays) {
    const fs::path kept = files_.write("kept.dll", library(2));
    form_.openPaths({kept});
    waitForIdle(form_);
    ASSERT_EQ(form_.rowCount(), 2);
    form_.settings().clearResult = true;
    const fs::path pipe = files_.path() / "pipe.exe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const fs::path none = files_.write("none.exe", makePe({}));
    const fs::path ico = files_.write("one.ico", makeIco({dibImage(patternIcon(16, 16), 8)}));
    for (const fs::path& file : {pipe, none, ico}) {
        desktop_.openAnswers.push_back(file);
        form_.importFromFile();
        waitForIdle(form_);
        EXPECT_EQ(form_.rowCount(), 2) << file;
        EXPECT_EQ(form_.statusText(3), "Icons: 2") << file;
        form_.openPaths({file});
        waitForIdle(form_);
        EXPECT_EQ(form_.rowCount(), 2) << file;
    }
    // The icon file was shown, twice, and nothing was cleared: nothing to undo.
    EXPECT_EQ(desktop_.modalForms.size(), 2u);
    EXPECT_FALSE(control<QAction>(form_, "undoItem")->isEnabled());
    const fs::path three = files_.write("three.dll", library(3));
    form_.openPaths({pipe, three});
    waitForIdle(form_);
    EXPECT_EQ(form_.rowCount(), 3);
    EXPECT_EQ(form_.rows()[0].source, three);
}

// 150 missing paths must not make a box taller than the screen: 20 are named and
// the rest counted.
TEST_F(MainWindowOpenTest, TheMissingPathMessageNamesTwentyAndCountsTheRest) {
    std::vector<fs::path> paths;
    for (int i = 0; i < 150; ++i) paths.push_back(files_.path() / ("gone" + std::to_string(i)));
    form_.openPaths(paths);
    waitForIdle(form_);
    ASSERT_EQ(desktop_.messages.size(), 1u);
    const std::string& text = desktop_.messages[0].text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21) << text;
    EXPECT_EQ(text.rfind("Cannot find these 150 files or folders:\n", 0), 0u) << text;
    EXPECT_NE(text.find(paths[19].string() + "\nand 130 more"), std::string::npos) << text;
    EXPECT_EQ(text.find(paths[20].string()), std::string::npos) << text;
}

// After `pellimar FILE` the keyboard is on the first row: Return opens it, and
// Select All is there to take.
TEST_F(MainWindowOpenTest, RowsThatArriveGiveTheKeyboardARow) {
    const fs::path dll = files_.write("three.dll", library(3));
    form_.openPaths({dll});
    waitForIdle(form_);
    ResultList* list = resultListOf(form_);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_TRUE(control<QAction>(form_, "selectAllItem")->isEnabled());
    bool viewerShown = false;
    desktop_.modalScripts.push_back([&](QDialog& d) {
        viewerShown = dynamic_cast<IconViewer*>(&d) != nullptr;
        return 0;
    });
    QTest::keyClick(list->currentView(), Qt::Key_Return);
    EXPECT_TRUE(viewerShown);
    EXPECT_EQ(form_.statusText(5), "Selected: 1");
    // More rows keep the keyboard where it is.
    QTest::keyClick(list->currentView(), Qt::Key_Down);
    form_.openPaths({dll});
    waitForIdle(form_);
    EXPECT_EQ(list->currentRow(), 1);
}

// What a scan told of files that gave no icons goes with the rows at Clear All.
TEST_F(MainWindowOpenTest, ClearAllTakesTheNotesOfTheLastWorkAway) {
    const fs::path none = files_.write("none.exe", makePe({}));
    const fs::path one = files_.write("one.dll", library(1));
    form_.openPaths({none, one});
    waitForIdle(form_);
    auto* notes = control<QLabel>(form_, "progressLabel");
    ASSERT_FALSE(notes->isHidden());
    ASSERT_FALSE(notes->text().isEmpty());
    form_.clearAll();
    EXPECT_TRUE(notes->isHidden());
    EXPECT_TRUE(notes->text().isEmpty());
    EXPECT_TRUE(notes->toolTip().isEmpty());
}

// The view, the sort and the column widths are those of the last run: kept when
// the window closes, in a section of setup.ini of their own that saving the
// options leaves alone.
TEST_F(MainWindowOpenTest, TheViewTheSortAndTheColumnWidthsAreKeptAcrossRuns) {
    const fs::path a = files_.write("a.dll", library(1));
    const fs::path b = files_.write("b.dll", library(2));
    {
        ScriptedDesktop desktop;
        MainWindow first(desktop);
        first.show();
        first.showThumbnailView();
        resultListOf(first)->setColumnWidth(ResultList::ColIcons, 233);
        first.openPaths({a, b});
        waitForIdle(first);
        first.sortByColumn(ResultList::ColPath);
        first.sortByColumn(ResultList::ColPath);  // the other way
        desktop.answers.push_back(Answer::Ok);
        ASSERT_TRUE(first.close());
        first.settings().importLimit = 7;
        ASSERT_TRUE(saveSettings(first.settings()));
    }
    ScriptedDesktop desktop;
    MainWindow second(desktop);
    second.show();
    EXPECT_EQ(second.settings().importLimit, 7);
    ResultList* list = resultListOf(second);
    EXPECT_EQ(list->viewStyle(), ResultList::ViewStyle::Thumbnail);
    EXPECT_TRUE(control<QAction>(second, "thumbnailViewItem")->isChecked());
    EXPECT_EQ(list->columnWidth(ResultList::ColIcons), 233);
    second.openPaths({a, b});
    waitForIdle(second);
    ASSERT_EQ(second.rowCount(), 3);
    EXPECT_EQ(second.rows()[0].source, b);
    EXPECT_EQ(second.rows()[2].source, a);
    EXPECT_TRUE(control<QAction>(second, "sortDescendingItem")->isChecked());
    // Rows that come later go to the end, as ever.
    second.openPaths({a});
    waitForIdle(second);
    EXPECT_EQ(second.rows()[3].source, a);
}

}  // namespace
}  // namespace pellimar
