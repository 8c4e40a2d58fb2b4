// Import from a file and the row preview: the two ways the main window opens the
// icon viewer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QFile>
#include <QListWidget>

#include "app/main_window.h"
#include "app/result_list.h"
#include "app/window_controls.h"
#include "core/paths.h"
#include "core/settings.h"
#include "export/report_dialog.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"
#include "viewer/icon_viewer.h"

namespace fs = std::filesystem;
using namespace pellimar;
using namespace pellimar::fixtures;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;
using namespace pellimar::test;

namespace {

class MainWindowViewerTest : public ::testing::Test {
  protected:
    MainWindowViewerTest() : program_("viewercmds"), form_(desktop_) {
        privateDir_ = files_.path() / "private";
        fs::create_directory(privateDir_);
        ::chmod(privateDir_.c_str(), 0700);
        setPrivateTempDir(privateDir_);
        dll_ = files_.write("lib.dll", makePe({{{dibImage(patternIcon(32, 32, 16), 4)}},
                                               {{dibImage(patternIcon(32, 32, 200), 8)}},
                                               {{dibImage(alphaPatternIcon(32, 32), 32)}}}));
        ico_ = files_.write("three.ico", makeIco({dibImage(patternIcon(16, 16, 16), 4),
                                                  dibImage(patternIcon(32, 32, 200), 8),
                                                  dibImage(alphaPatternIcon(48, 48), 32)}));
    }
    ~MainWindowViewerTest() override { setPrivateTempDir({}); }

    // The next modal form is a viewer: run its showing and report what it showed.
    struct Seen {
        QString title, status2;
        QStringList entries;
        int thumbnails = -1;
        int privateFiles = -1;  // files in the private temporary folder while it was open
    };
    void expectViewer(Seen& seen) {
        desktop_.modalScripts.push_back([this, &seen](QDialog& d) {
            auto& viewer = dynamic_cast<IconViewer&>(d);
            seen.title = viewer.windowTitle();
            seen.status2 = viewer.statusText(2);
            viewer.loadViewedFile();
            for (int i = 0; i < viewer.imageChoice->count(); ++i)
                seen.entries << viewer.imageChoice->itemText(i);
            seen.thumbnails = viewer.thumbnailList->count();
            seen.privateFiles = int(std::distance(fs::recursive_directory_iterator(privateDir_),
                                                  fs::recursive_directory_iterator()));
            viewer.reject();
            return 0;
        });
    }
    TempProgramDir program_;
    TempDir files_;
    fs::path privateDir_, dll_, ico_;
    ScriptedDesktop desktop_;
    MainWindow form_;
};

TEST_F(MainWindowViewerTest, ImportingALibraryAddsOneRowPerIcon) {
    desktop_.openAnswers.push_back(dll_);
    form_.importFromFile();
    waitForIdle(form_);
    ASSERT_EQ(desktop_.openRequests.size(), 1u);
    EXPECT_EQ(desktop_.openRequests[0].filter,
              "exe file(*.exe)|*.EXE|ico file(*.ico)|*.ICO|dll file(*.dll)|*.DLL|all supported "
              "file|*.ico;*.dll;*.exe;*.icl;*.cur|cur file(*.cur)|*.CUR");
    EXPECT_EQ(desktop_.openRequests[0].defaultExt, "exe,dll");
    ASSERT_EQ(resultListOf(form_)->rowCount(), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(resultListOf(form_)->caption(r), QString("lib.dll-00%1").arg(r + 1));
        EXPECT_EQ(resultListOf(form_)->location(r), QString("00%1").arg(r));
        EXPECT_EQ(resultListOf(form_)->iconPosition(r), r);
        EXPECT_EQ(resultListOf(form_)->imageIndex(r), r);
        EXPECT_EQ(resultListOf(form_)->source(r), dll_);
    }
    EXPECT_EQ(form_.statusText(1), "Idle ...");
    EXPECT_EQ(form_.statusText(3), "Icons: 3");

    // Again: the same icons once more, numbered from 1 again, showing the pictures
    // the first rows hold (each picture is held once).
    desktop_.openAnswers.push_back(dll_);
    form_.importFromFile();
    waitForIdle(form_);
    ASSERT_EQ(resultListOf(form_)->rowCount(), 6);
    EXPECT_EQ(resultListOf(form_)->caption(3), "lib.dll-001");
    EXPECT_EQ(resultListOf(form_)->imageIndex(5), 2);
    EXPECT_EQ(resultListOf(form_)->images().count(), 3);
    EXPECT_EQ(form_.statusText(3), "Icons: 6");
}

// The list is cleared (when the options say so) only once a file was chosen:
// cancelling the dialog never costs the rows of an earlier scan.
TEST_F(MainWindowViewerTest, CancellingKeepsTheRowsAndAChosenFileClearsThem) {
    for (int i = 0; i < 5; ++i) addRow(form_, Icon{}, dll_, i);
    form_.settings().clearResult = true;
    form_.importFromFile();  // cancelled
    EXPECT_EQ(resultListOf(form_)->rowCount(), 5);
    EXPECT_EQ(form_.statusText(1), "Idle ...");
    EXPECT_EQ(form_.statusText(3), "Icons: 5");

    desktop_.openAnswers.push_back(dll_);
    form_.importFromFile();
    waitForIdle(form_);
    ASSERT_EQ(resultListOf(form_)->rowCount(), 3);
    EXPECT_EQ(resultListOf(form_)->iconPosition(0), 0);
}

TEST_F(MainWindowViewerTest, ConfirmedWithoutANameChangesNothing) {
    setStatus(form_, 1, "before");
    desktop_.openAnswers.push_back(fs::path{});
    form_.importFromFile();
    EXPECT_EQ(form_.statusText(1), "before");
}

TEST_F(MainWindowViewerTest, IconFileOpensTheViewerAndLeavesTheListAlone) {
    addRow(form_, Icon{}, dll_, 0);
    setStatus(form_, 1, "before");
    setStatus(form_, 3, "rows");
    const fs::path upper = files_.write("Three.IcO", readWholeFile(ico_));
    desktop_.openAnswers.push_back(upper);
    Seen seen;
    expectViewer(seen);
    form_.importFromFile();
    ASSERT_EQ(desktop_.modalForms.size(), 1u);
    EXPECT_EQ(seen.title, "ICON VIEWS");
    EXPECT_EQ(seen.entries, QStringList({"16*16 16colors", "32*32 256colors", "48*48 XPcolors"}));
    const QString path = QFile::decodeName(QByteArray::fromStdString(upper.native()));
    EXPECT_EQ(seen.status2, shortenedSourcePath(path));
    EXPECT_EQ(resultListOf(form_)->rowCount(), 1);
    EXPECT_EQ(form_.statusText(1), "before");
    EXPECT_EQ(form_.statusText(3), "rows");
}

TEST_F(MainWindowViewerTest, DoubleClickWithoutSelectionOnlyCountsIt) {
    addRow(form_, Icon{}, dll_, 0);
    form_.previewRow();
    EXPECT_EQ(form_.statusText(5), "Selected: 0");
    EXPECT_TRUE(desktop_.modalForms.empty());
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(MainWindowViewerTest, DoubleClickOnAnIconFileRowShowsThatImage) {
    ReportDialog report(desktop_);
    form_.setReportDialog(&report);
    addRow(form_, Icon{}, ico_, 0);
    addRow(form_, Icon{}, ico_, 2);
    resultListOf(form_)->setRowSelected(1, true);
    Seen seen;
    expectViewer(seen);
    form_.previewRow();
    EXPECT_EQ(form_.statusText(5), "Selected: 1");
    EXPECT_TRUE(report.report().files().empty());
    EXPECT_EQ(seen.entries, QStringList({"48*48 XPcolors"}));
    EXPECT_EQ(seen.thumbnails, 1);
    EXPECT_EQ(seen.status2, "three.ico, image 3");
    // Shown from memory: nothing was written to show it.
    EXPECT_EQ(seen.privateFiles, 0);
}

TEST_F(MainWindowViewerTest, DoubleClickOnALibraryRowShowsEveryImageOfItsGroup) {
    form_.settings().saveSize32 = false;
    form_.settings().saveSize16 = true;
    form_.settings().saveSize128 = true;
    ReportDialog report(desktop_);
    form_.setReportDialog(&report);
    report.report().setFolder("/saved/");
    report.report().add("32-a.ico");
    // Ten images, as a program's icon holds them: 256 px PNG, then 48, 32 and 16 at
    // three depths each.
    std::vector<IconImage> images{pngImage(alphaPatternIcon(256, 256))};
    for (int side : {48, 32, 16})
        for (int bits : {32, 8, 4})
            images.push_back(bits == 32
                                 ? dibImage(alphaPatternIcon(side, side), 32)
                                 : dibImage(patternIcon(side, side, bits == 8 ? 200 : 16), bits));
    const fs::path app =
        files_.write("regedit.exe", makePe({{{dibImage(patternIcon(32, 32, 16), 4)}}, {images}}));
    addRow(form_, Icon{}, app, 1);
    resultListOf(form_)->setRowSelected(0, true);
    Seen seen;
    expectViewer(seen);
    form_.previewRow();
    EXPECT_EQ(seen.entries,
              QStringList({"256*256 XPcolors", "48*48 XPcolors", "48*48 256colors",
                           "48*48 16colors", "32*32 XPcolors", "32*32 256colors", "32*32 16colors",
                           "16*16 XPcolors", "16*16 256colors", "16*16 16colors"}));
    EXPECT_EQ(seen.thumbnails, 10);
    EXPECT_EQ(seen.status2, "regedit.exe, icon 2");
    EXPECT_EQ(seen.privateFiles, 0);
    // The preview is no part of the last save, and the export sizes stay as they were.
    EXPECT_EQ(report.report().files(), std::vector<fs::path>{"32-a.ico"});
    EXPECT_EQ(report.report().folder(), fs::path("/saved/"));
    EXPECT_FALSE(form_.settings().saveSize32);
    EXPECT_TRUE(form_.settings().saveSize16);
}

// A program's cursor groups are rows after its icons, told apart by caption and
// Resource column, and open in the viewer with the hotspot marked.
TEST_F(MainWindowViewerTest, AProgramsCursorsFollowItsIconsAndShowTheirHotspots) {
    const fs::path pe = files_.write(
        "pointers.dll", makePe({{{dibImage(patternIcon(32, 32, 16), 4)}},
                                {{dibImage(patternIcon(32, 32, 200), 8)}}},
                               {{{{dibImage(solidIcon(32, 32, 0xFF0000FF), 24), 4, 20}}, {}}}));
    desktop_.openAnswers.push_back(pe);
    form_.importFromFile();
    waitForIdle(form_);
    ResultList& list = *resultListOf(form_);
    ASSERT_EQ(list.rowCount(), 3);
    auto resource = [&](int row) {
        return list.model()
            ->data(list.model()->index(row, ResultList::ColResource), Qt::DisplayRole)
            .toString();
    };
    EXPECT_EQ(list.caption(1), "pointers.dll-002");
    EXPECT_EQ(list.kind(1), ResourceKind::Icon);
    EXPECT_EQ(resource(1), "2");
    EXPECT_EQ(list.caption(2), "pointers.dll-cursor-001");
    EXPECT_EQ(list.kind(2), ResourceKind::Cursor);
    EXPECT_EQ(list.iconPosition(2), 0);
    EXPECT_EQ(resource(2), "cursor 1");
    EXPECT_EQ(form_.statusText(3), "Icons: 3");
    // Sorted by resource, a cursor keeps apart from the icon of its ID.
    form_.sortByColumn(ResultList::ColResource);
    EXPECT_EQ(QStringList({resource(0), resource(1), resource(2)}),
              QStringList({"1", "2", "cursor 1"}));

    list.setRowSelected(2, true);
    QString status;
    QImage seen;
    desktop_.modalScripts.push_back([&](QDialog& d) {
        auto& viewer = dynamic_cast<IconViewer&>(d);
        viewer.loadViewedFile();
        status = viewer.statusText(2);
        seen = viewer.preview->pixmap().toImage();
        viewer.reject();
        return 0;
    });
    form_.previewRow();
    EXPECT_TRUE(desktop_.messages.empty());
    EXPECT_EQ(status, "pointers.dll, cursor 1");
    ASSERT_EQ(seen.size(), QSize(32, 32));
    EXPECT_EQ(QColor(seen.pixel(4, 20)), QColor(Qt::red));    // the hotspot's cross
    EXPECT_EQ(seen.pixel(28, 4) | 0xFF000000u, 0xFF0000FFu);  // the image away from it
}

TEST_F(MainWindowViewerTest, ARowWhoseIconCannotBeReadSaysWhy) {
    addRow(form_, Icon{}, files_.path() / "gone.dll", 0);
    resultListOf(form_)->setRowSelected(0, true);
    form_.previewRow();
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0].text,
              "Cannot show gone.dll, icon 1: cannot open: No such file or directory.");
    EXPECT_EQ(desktop_.messages[0].caption, "notice");
    EXPECT_TRUE(desktop_.modalForms.empty());
    // A row past the icons of its file.
    desktop_.messages.clear();
    resultListOf(form_)->clearRows();
    addRow(form_, Icon{}, dll_, 7);
    resultListOf(form_)->setRowSelected(0, true);
    form_.previewRow();
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0].text, "Cannot show lib.dll, icon 8: no icon 8.");
    EXPECT_TRUE(desktop_.modalForms.empty());
}

}  // namespace
