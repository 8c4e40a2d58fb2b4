// Import from a file and the row preview: the two ways the main window opens the
// icon viewer.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QComboBox>
#include <QFile>

#include "app/main_window.h"
#include "app/result_list.h"
#include "core/paths.h"
#include "core/settings.h"
#include "export/report_dialog.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"
#include "viewer/icon_viewer.h"
#include "viewer/thumbnail_list.h"

namespace fs = std::filesystem;
using namespace pellimar;
using namespace pellimar::fixtures;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;

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
        bool tempExisted = false;
    };
    void expectViewer(Seen& seen) {
        desktop_.modalScripts.push_back([this, &seen](QDialog& d) {
            auto& viewer = dynamic_cast<IconViewer&>(d);
            seen.title = viewer.windowTitle();
            seen.status2 = viewer.statusText(2);
            viewer.loadViewedFile();
            for (int i = 0; i < viewer.imageChoice->count(); ++i)
                seen.entries << viewer.imageChoice->itemText(i);
            seen.thumbnails = viewer.thumbnailList->thumbnails().count();
            seen.tempExisted = fs::exists(privateDir_ / "temp2005_1.ico");
            viewer.reject();
            return 0;
        });
    }
    fs::path temp() const { return privateDir_ / "temp2005_1.ico"; }

    TempProgramDir program_;
    TempDir files_;
    fs::path privateDir_, dll_, ico_;
    ScriptedDesktop desktop_;
    MainWindow form_;
};

TEST_F(MainWindowViewerTest, ImportingALibraryAddsOneRowPerIcon) {
    desktop_.openAnswers.push_back(dll_);
    form_.importFromFile();
    ASSERT_EQ(desktop_.openRequests.size(), 1u);
    EXPECT_EQ(desktop_.openRequests[0].filter,
              "exe file(*.exe)|*.EXE|ico file(*.ico)|*.ICO|dll file(*.dll)|*.DLL|all supported "
              "file|*.ico;*.dll;*.exe;*.icl");
    EXPECT_EQ(desktop_.openRequests[0].defaultExt, "exe,dll");
    ASSERT_EQ(form_.resultList->rowCount(), 3);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(form_.resultList->caption(r), QString("lib.dll-00%1").arg(r + 1));
        EXPECT_EQ(form_.resultList->location(r), QString("00%1").arg(r));
        EXPECT_EQ(form_.resultList->iconPosition(r), r);
        EXPECT_EQ(form_.resultList->imageIndex(r), r);
        EXPECT_EQ(form_.resultList->source(r), dll_);
    }
    EXPECT_EQ(form_.statusText(1), "Idle ...");
    EXPECT_EQ(form_.statusText(3), "Icons:3");

    // Again: the same icons once more, numbered from 1 again, images continuing.
    desktop_.openAnswers.push_back(dll_);
    form_.importFromFile();
    ASSERT_EQ(form_.resultList->rowCount(), 6);
    EXPECT_EQ(form_.resultList->caption(3), "lib.dll-001");
    EXPECT_EQ(form_.resultList->imageIndex(5), 5);
    EXPECT_EQ(form_.statusText(3), "Icons:6");
}

TEST_F(MainWindowViewerTest, CancellingStillClearsWhenAskedAndSetsTheStatus) {
    for (int i = 0; i < 5; ++i) form_.addRow(Icon{}, dll_, i);
    form_.importFromFile();  // cancelled
    EXPECT_EQ(form_.resultList->rowCount(), 5);
    EXPECT_EQ(form_.statusText(1), "Idle ...");
    EXPECT_EQ(form_.statusText(3), "Icons:5");

    form_.settings().clearResult = true;
    form_.importFromFile();
    EXPECT_EQ(form_.resultList->rowCount(), 0);
    EXPECT_EQ(form_.statusText(3), "Icons:0");
}

TEST_F(MainWindowViewerTest, ConfirmedWithoutANameChangesNothing) {
    form_.setStatusText(1, "before");
    desktop_.openAnswers.push_back(fs::path{});
    form_.importFromFile();
    EXPECT_EQ(form_.statusText(1), "before");
}

TEST_F(MainWindowViewerTest, IconFileOpensTheViewerAndLeavesTheListAlone) {
    form_.addRow(Icon{}, dll_, 0);
    form_.setStatusText(1, "before");
    form_.setStatusText(3, "rows");
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
    EXPECT_EQ(form_.resultList->rowCount(), 1);
    EXPECT_EQ(form_.statusText(1), "before");
    EXPECT_EQ(form_.statusText(3), "rows");
}

TEST_F(MainWindowViewerTest, DoubleClickWithoutSelectionOnlyCountsIt) {
    form_.addRow(Icon{}, dll_, 0);
    form_.previewRow();
    EXPECT_EQ(form_.statusText(5), "Selected: 0");
    EXPECT_TRUE(desktop_.modalForms.empty());
    EXPECT_TRUE(desktop_.messages.empty());
}

TEST_F(MainWindowViewerTest, DoubleClickOnAnIconFileRowShowsThatImage) {
    ReportDialog report(desktop_);
    form_.setReportDialog(&report);
    form_.addRow(Icon{}, ico_, 0);
    form_.addRow(Icon{}, ico_, 2);
    form_.resultList->setRowSelected(1, true);
    Seen seen;
    expectViewer(seen);
    form_.previewRow();
    EXPECT_EQ(form_.statusText(5), "Selected: 1");
    EXPECT_TRUE(report.report().files().empty());  // an image copied out is not reported
    EXPECT_EQ(seen.entries, QStringList({"48*48 XPcolors"}));
    EXPECT_EQ(seen.thumbnails, 1);
    EXPECT_TRUE(seen.tempExisted);
    EXPECT_FALSE(fs::exists(temp()));
}

TEST_F(MainWindowViewerTest, DoubleClickOnALibraryRowShowsIts32PixelImageWhateverTheSizes) {
    form_.settings().size_32 = false;
    form_.settings().size_16 = true;
    form_.settings().size_128 = true;
    ReportDialog report(desktop_);
    form_.setReportDialog(&report);
    report.report().setFolder("/saved/");
    report.report().add("32-a.ico");
    form_.addRow(Icon{}, dll_, 1);
    form_.resultList->setRowSelected(0, true);
    Seen seen;
    expectViewer(seen);
    form_.previewRow();
    // The icon written for the preview is no part of the last save.
    EXPECT_EQ(report.report().files(), std::vector<fs::path>{"32-a.ico"});
    EXPECT_EQ(report.report().folder(), fs::path("/saved/"));
    EXPECT_EQ(seen.entries.size(), 1);
    EXPECT_TRUE(seen.entries.value(0).startsWith("32*32 "));
    EXPECT_FALSE(form_.settings().size_32);
    EXPECT_TRUE(form_.settings().size_16);
    EXPECT_FALSE(fs::exists(temp()));
}

TEST_F(MainWindowViewerTest, UnwritableTemporaryFileIsReported) {
    form_.addRow(Icon{}, files_.path() / "gone.dll", 0);
    form_.resultList->setRowSelected(0, true);
    // An old file of the same name does not pass for this row's icon.
    std::ofstream(temp()) << "stale";
    form_.previewRow();
    ASSERT_EQ(desktop_.messages.size(), 1u);
    EXPECT_EQ(desktop_.messages[0].text, "temp file lost");
    EXPECT_EQ(desktop_.messages[0].caption, "notice");
    EXPECT_TRUE(desktop_.modalForms.empty());
}

}  // namespace
