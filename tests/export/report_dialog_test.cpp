#include "export/report_dialog.h"

#include <gtest/gtest.h>

#include <QImage>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cerrno>

#include "platform/jpeg_file.h"
#include "platform/output_files.h"
#include "save_fixtures.h"
#include "support/scripted_desktop.h"
#include "support/turkish_locale.h"

using namespace pellimar;
using namespace pellimar::test;

namespace {

void clickItem(ReportDialog& form, int row) {
    form.fileList->setCurrentRow(row);
    form.previewClickedFile();
}

}  // namespace

TEST(ReportForm, EmptyBeforeAnySave) {
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    EXPECT_EQ(form.windowTitle(), "Report");
    form.showLastRun();
    EXPECT_EQ(form.summaryLabel->text(), "You haven't saved any file yet.");
    EXPECT_FALSE(form.openFolderButton->isEnabled());
    EXPECT_EQ(form.fileList->count(), 0);
    EXPECT_EQ(form.openFileButton->text(), "&Open with default viewer");
    form.openSelectedFile();
    form.openFolder();
    EXPECT_TRUE(desktop.documents.empty());
    ASSERT_EQ(desktop.messages.size(), 1u);  // no file to open: the person is told
    EXPECT_EQ(desktop.messages[0].text, "Choose a file in the file list first.");
}

TEST(ReportForm, ReturnClosesTheReportAndOpensNothing) {
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.clearReport();
    form.report().setFolder("/out/");
    form.report().add("32-a.ico");
    form.showLastRun();
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QWidget* focused = form.focusWidget() ? form.focusWidget() : &form;
    QTest::keyClick(focused, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(desktop.documents.empty());
    EXPECT_TRUE(desktop.messages.empty());
}

TEST(ReportForm, SummaryFolderAndHandOff) {
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.clearReport();
    form.report().setFolder("/out/");
    form.showLastRun();
    // A run that wrote nothing: folder shown, button enabled, nothing saved (not
    // "yet": a run was made).
    EXPECT_EQ(form.summaryLabel->text(), "No file saved.");
    EXPECT_TRUE(form.openFolderButton->isEnabled());
    EXPECT_EQ(form.folderEdit->text(), "/out/");

    form.report().add("32-a.ico");
    form.showLastRun();
    EXPECT_EQ(form.summaryLabel->text(), "1 files are saved in the directory of ...");
    form.report().add("16-a.ico");
    form.report().add("b.bmp");
    form.showLastRun();
    EXPECT_EQ(form.summaryLabel->text(), "3 files are saved in the directory of ...");
    ASSERT_EQ(form.fileList->count(), 3);
    EXPECT_EQ(form.fileList->item(2)->text(), "b.bmp");

    form.openSelectedFile();  // nothing selected: nothing opened
    EXPECT_TRUE(desktop.documents.empty());
    form.fileList->setCurrentRow(1);
    desktop.documentAnswers = {true, true};
    desktop.messages.clear();
    form.openSelectedFile();
    form.openFolder();
    ASSERT_EQ(desktop.documents.size(), 2u);
    EXPECT_EQ(desktop.documents[0], std::filesystem::path("/out/16-a.ico"));
    EXPECT_EQ(desktop.documents[1], std::filesystem::path("/out/"));
    EXPECT_TRUE(desktop.messages.empty());
    // A desktop with no program for them: each button says so, naming what it
    // could not open.
    form.openSelectedFile();
    form.openFolder();
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].text,
              "/out/16-a.ico cannot be opened: this desktop has no program set to show files of "
              "its type.");
    EXPECT_EQ(desktop.messages[1].text,
              "The folder /out/ cannot be opened: this desktop has no program set to show "
              "folders.");

    form.clearReport();
    form.showLastRun();
    EXPECT_EQ(form.fileList->count(), 0);
    EXPECT_TRUE(form.folderEdit->text().isEmpty());
    EXPECT_FALSE(form.openFolderButton->isEnabled());
}

// Every row that wrote nothing, every file kept and a stop are listed with why
// below the files; a run with nothing to tell keeps the whole height for its files.
TEST(ReportForm, ListsWhatWasNotSavedWithWhy) {
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder("/out/");
    form.report().add("a-001.ico");
    form.showLastRun();
    EXPECT_TRUE(form.notSavedList->isHidden());
    const int fullHeight = form.fileList->height();

    form.report().addSkippedRow(
        "set.ico-003",
        failure(Fault::NotChosen, "its image is 256 x 256, and that size is not chosen"));
    form.report().addUnreadableRow("gone.dll-001", systemFailure(Fault::CannotOpen, ENOENT));
    form.report().addKept("a-002.ico");
    form.report().stopByRequest(3, 1500);
    form.showLastRun();
    EXPECT_FALSE(form.notSavedList->isHidden());
    EXPECT_LT(form.fileList->height(), fullHeight);
    QStringList lines;
    for (int i = 0; i < form.notSavedList->count(); ++i)
        lines << form.notSavedList->item(i)->text();
    EXPECT_EQ(lines,
              QStringList({"gone.dll-001: cannot open: No such file or directory",
                           "set.ico-003: its image is 256 x 256, and that size is not chosen",
                           "a-002.ico: exists already, kept as it was",
                           "Stopped after row 3 of 1500: the rows after it were not saved"}));
}

// A run that ended at a file it could not write lists that file with why after the
// files that failed, and that nothing after it was saved.
TEST(ReportForm, ListsTheFileARunEndedAt) {
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder("/out/");
    form.report().add("p-001.jpg");
    form.report().addFailure("/out/p-002.jpg", systemFailure(Fault::WriteFailed, ENOSPC));
    form.report().stopAt("/out/p-003.jpg", systemFailure(Fault::WriteFailed, EISDIR));
    form.report().addKept("p-004.jpg");
    form.showLastRun();
    EXPECT_FALSE(form.notSavedList->isHidden());
    QStringList lines;
    for (int i = 0; i < form.notSavedList->count(); ++i)
        lines << form.notSavedList->item(i)->text();
    EXPECT_EQ(lines, QStringList({"Cannot create file \"/out/p-002.jpg\". No space left on device",
                                  "Cannot create file \"/out/p-003.jpg\". Is a directory (saving "
                                  "ended there: nothing after it was saved)",
                                  "p-004.jpg: exists already, kept as it was"}));
}

TEST(ReportForm, PreviewAtOwnSizeAndClearedForMissingFiles) {
    TempDir dir("report");
    RgbImage red = whiteImage(64, 64);
    for (auto& p : red.pixels) p = 0xFF0000;
    ASSERT_TRUE(writeOutput(dir.path / "big.jpg", *jpegFile(red)));
    ASSERT_TRUE(writeOutput(dir.path / "s.bmp", *bmpFile(whiteImage(16, 16))));
    auto ico = icoBytes(standardIcon(32));
    std::ofstream(dir.path / "i.ico", std::ios::binary)
        .write(reinterpret_cast<const char*>(ico.data()), std::streamsize(ico.size()));

    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder(dir.path / "");
    const char* gone = "a-file-that-is-gone-and-whose-name-is-wider-than-the-preview.bmp";
    for (const char* f : {"big.jpg", "s.bmp", "i.ico", gone}) form.report().add(f);
    form.showLastRun();
    EXPECT_TRUE(form.previewNameLabel->text().isEmpty());

    clickItem(form, 0);
    EXPECT_EQ(form.previewNameLabel->text(), "big.jpg");
    ASSERT_FALSE(form.previewImage->pixmap().isNull());
    EXPECT_EQ(form.previewImage->size(), QSize(64, 64));
    QColor c = form.previewImage->pixmap().toImage().pixelColor(10, 10);
    EXPECT_GT(c.red(), 240);
    EXPECT_LT(c.green(), 20);

    clickItem(form, 1);
    EXPECT_EQ(form.previewImage->size(), QSize(16, 16));
    clickItem(form, 2);
    EXPECT_EQ(form.previewImage->size(), QSize(32, 32));
    clickItem(form, 3);
    EXPECT_EQ(form.previewNameLabel->text(), gone);
    // A long name is shown whole.
    EXPECT_GE(form.previewNameLabel->contentsRect().width(),
              form.previewNameLabel->fontMetrics().horizontalAdvance(gone));
    // A file that cannot be read shows no picture, not the previous file's.
    EXPECT_TRUE(form.previewImage->pixmap().isNull());
    EXPECT_EQ(form.previewImage->size(), QSize(0, 0));

    // The arrow keys move the preview along with the current file.
    form.fileList->setFocus();
    QTest::keyClick(form.fileList, Qt::Key_Up);
    EXPECT_EQ(form.previewNameLabel->text(), "i.ico");
    EXPECT_EQ(form.previewImage->size(), QSize(32, 32));

    form.showLastRun();
    EXPECT_TRUE(form.previewImage->pixmap().isNull());
}

// A file in the report's folder that states a picture larger than any a save
// writes (a JPEG of a few hundred bytes claiming 8,154 x 7,967 pixels, a bitmap
// of 2,000 x 1) is checked by its header and shows nothing, undecoded.
TEST(ReportForm, APictureLargerThanASaveWritesIsNotDecoded) {
    TempDir dir("report");
    std::vector<std::uint8_t> jpeg = encodeJpeg(whiteImage(8, 8)).value();
    for (std::size_t i = 2; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = 7967 >> 8, jpeg[i + 6] = 7967 & 0xFF;
            jpeg[i + 7] = 8154 >> 8, jpeg[i + 8] = 8154 & 0xFF;
            break;
        }
    ASSERT_EQ(jpegSize(jpeg), std::make_pair(8154, 7967));
    std::ofstream(dir.path / "claims.jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()), std::streamsize(jpeg.size()));
    ASSERT_TRUE(writeOutput(dir.path / "wide.bmp", *bmpFile(whiteImage(2000, 1))));
    ASSERT_TRUE(writeOutput(dir.path / "fits.bmp", *bmpFile(whiteImage(1024, 1))));
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder(dir.path / "");
    for (const char* f : {"claims.jpg", "wide.bmp", "fits.bmp"}) form.report().add(f);
    form.showLastRun();
    for (int row : {0, 1}) {
        clickItem(form, row);
        EXPECT_TRUE(form.previewImage->pixmap().isNull()) << row;
    }
    // The one a save may write is decoded, and made smaller to fit the frame.
    clickItem(form, 2);
    ASSERT_FALSE(form.previewImage->pixmap().isNull());
    EXPECT_EQ(form.previewImage->size(), QSize(form.previewFrame->contentsRect().width() - 4, 1));
}

// Rows keep their files' names as bytes: a name that is not UTF-8 (Latin-1
// "café") is previewed and handed on as it is, never rebuilt from its text.
TEST(ReportForm, NamesThatAreNotUtf8AreKeptAsTheyAre) {
    TempDir dir("report");
    const std::string latin1 = "caf\xe9.bmp";
    ASSERT_TRUE(writeOutput(dir.path / latin1, *bmpFile(whiteImage(12, 12))));
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder(dir.path / "");
    form.report().add(latin1);
    form.showLastRun();
    clickItem(form, 0);
    ASSERT_FALSE(form.previewImage->pixmap().isNull());
    EXPECT_EQ(form.previewImage->size(), QSize(12, 12));
    desktop.documentAnswers.push_back(true);
    form.openSelectedFile();
    ASSERT_EQ(desktop.documents.size(), 1u);
    EXPECT_EQ(desktop.documents[0].native(), (dir.path / latin1).native());
}

TEST(ReportForm, PngFilesArePreviewedToo) {
    TempDir dir("report");
    QImage picture(24, 16, QImage::Format_ARGB32);
    picture.fill(qRgba(10, 200, 30, 255));
    ASSERT_TRUE(picture.save(QString::fromStdString((dir.path / "saved.Png").string()), "png"));
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder(dir.path / "");
    form.report().add("saved.Png");
    form.showLastRun();
    clickItem(form, 0);
    EXPECT_EQ(form.previewImage->size(), QSize(24, 16));
}

TEST(ReportForm, PreviewKindInAnyLetterCaseAndLocale) {
    TempDir dir("report");
    auto ico = icoBytes(standardIcon(32));
    std::ofstream(dir.path / "BIG.ICO", std::ios::binary)
        .write(reinterpret_cast<const char*>(ico.data()), std::streamsize(ico.size()));
    test::TurkishLocale turkish;
    if (!turkish.available()) GTEST_SKIP() << "no Turkish locale installed";
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder(dir.path / "");
    form.report().add("BIG.ICO");
    form.showLastRun();
    clickItem(form, 0);
    EXPECT_EQ(form.previewImage->size(), QSize(32, 32));
}

TEST(ReportForm, BitmapPreviewIsTransparentInItsCornerColour) {
    TempDir dir("report");
    // White ground (the bottom-left pixel) with a black stripe.
    RgbImage pic = whiteImage(16, 16);
    for (int x = 0; x < 16; ++x) pic.pixels[std::size_t(5 * 16 + x)] = 0x000000;
    ASSERT_TRUE(writeOutput(dir.path / "p.bmp", *bmpFile(pic)));
    ASSERT_TRUE(writeOutput(dir.path / "p.jpg", *jpegFile(pic)));

    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder(dir.path / "");
    form.report().add("p.bmp");
    form.report().add("p.jpg");
    form.showLastRun();
    clickItem(form, 0);
    QImage shown = form.previewImage->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(15, 15)), 0);
    EXPECT_EQ(shown.pixel(3, 5), qRgba(0, 0, 0, 255));
    // A JPEG has no exact colours to key on: drawn whole.
    clickItem(form, 1);
    EXPECT_EQ(qAlpha(form.previewImage->pixmap().toImage().pixel(0, 0)), 255);
}

// A run whose every row was left out by its format's rules says so, not that
// nothing was saved yet, and gives each row's rule.
TEST(ReportForm, ARunThatLeftOutEveryRowSaysSoWithTheRule) {
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder("/out/");
    form.report().addSkippedRow(
        "app.exe-001",
        failure(Fault::NotChosen, "icon files of programs are saved at 32 and 16 pixels"),
        SaveRule::ProgramIconFile);
    form.report().addSkippedRow("set.ico-002", failure(Fault::NotChosen, "anything"),
                                SaveRule::ImageSize, 24, 24);
    form.showLastRun();
    EXPECT_EQ(form.summaryLabel->text(), "No file saved: every row was left out.");
    ASSERT_EQ(form.notSavedList->count(), 2);
    EXPECT_EQ(form.notSavedList->item(0)->text(),
              "app.exe-001: icon files of programs are saved at 32 and 16 pixels, and neither is "
              "chosen");
    EXPECT_EQ(form.notSavedList->item(1)->text(),
              "set.ico-002: its image is 24 x 24, and that size is not chosen");
}

// Rows saved with less than was chosen: the rule once, then each row with what it
// left out.
TEST(ReportForm, RowsSavedWithLessAreListedUnderTheirRule) {
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder("/out/");
    form.report().add("w-001.ico");
    form.report().add("w-002.ico");
    form.report().addReduction({"w.exe-001", SaveRule::ProgramIconFile, {128, 48}, 32, true});
    form.report().addReduction({"w.exe-002", SaveRule::ProgramIconFile, {128}, 0, false});
    form.showLastRun();
    EXPECT_FALSE(form.notSavedList->isHidden());
    QStringList lines;
    for (int i = 0; i < form.notSavedList->count(); ++i)
        lines << form.notSavedList->item(i)->text();
    EXPECT_EQ(lines,
              QStringList({"Saved with less than chosen: icon files of programs are saved at 32 "
                           "and 16 pixels, in 16 or 256 colours with a 1-bit mask. \"Original "
                           "icon\" in the Export options keeps every image as stored.",
                           "w.exe-001: the sizes 128, 48 px left out; its 32-bit colours reduced "
                           "to 16 or 256; its soft transparency reduced to a 1-bit mask",
                           "w.exe-002: the size 128 px left out"}));
    EXPECT_TRUE(form.notSavedList->item(0)->font().bold());
}

// Every kind the save writes is previewed: a cursor file, and a picture larger
// than the frame made smaller to fit, whole.
TEST(ReportForm, CursorsAndLargePicturesArePreviewedWhole) {
    TempDir dir("report");
    dir.write("c.cur", fixtures::makeIco({fixtures::dibImage(standardIcon(32), 4)}, 2));
    // An icon written as stored: every image of its group, the largest a PNG.
    dir.write("s.ico", fixtures::makeIco({fixtures::dibImage(standardIcon(32), 4),
                                          fixtures::pngImage(fixtures::alphaPatternIcon(256, 256)),
                                          fixtures::dibImage(standardIcon(16), 4)}));
    for (int side : {128, 256}) {
        QImage picture(side, side, QImage::Format_ARGB32);
        picture.fill(qRgba(10, 200, 30, 255));
        ASSERT_TRUE(picture.save(
            QString::fromStdString((dir.path / (std::to_string(side) + ".png")).string()), "png"));
    }
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    form.report().setFolder(dir.path / "");
    for (const char* f : {"c.cur", "128.png", "256.png", "s.ico"}) form.report().add(f);
    form.showLastRun();
    const QRect frame = form.previewFrame->contentsRect();
    clickItem(form, 0);
    EXPECT_EQ(form.previewImage->size(), QSize(32, 32));
    clickItem(form, 1);
    EXPECT_EQ(form.previewImage->size(), QSize(128, 128));
    EXPECT_TRUE(frame.contains(form.previewImage->geometry()));
    clickItem(form, 2);
    EXPECT_TRUE(frame.contains(form.previewImage->geometry()));
    EXPECT_EQ(form.previewImage->width(), form.previewImage->height());
    EXPECT_GT(form.previewImage->width(), 128);
    clickItem(form, 3);
    EXPECT_TRUE(frame.contains(form.previewImage->geometry()));
    EXPECT_GT(form.previewImage->width(), 128);
}

// The headings are words that name their lists, and their keys move to them.
TEST(ReportForm, HeadingsNameTheirLists) {
    ScriptedDesktop desktop;
    ReportDialog form(desktop);
    for (QLabel* heading : {form.fileListHeading, form.notSavedHeading, form.previewHeading})
        EXPECT_FALSE(heading->text().startsWith("//")) << heading->text().toStdString();
    EXPECT_EQ(form.fileListHeading->buddy(), form.fileList);
    EXPECT_EQ(form.notSavedHeading->buddy(), form.notSavedList);
}
