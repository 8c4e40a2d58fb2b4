#include "export/report_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "platform/bmp_file.h"
#include "platform/jpeg_file.h"
#include "save_fixtures.h"
#include "support/scripted_desktop.h"

using namespace pellimar;
using namespace pellimar::test;

namespace {

void clickItem(TForm4& form, int row) {
    form.ListBox1->setCurrentRow(row);
    form.Button1Click();
}

}  // namespace

TEST(ReportForm, EmptyBeforeAnySave) {
    ScriptedDesktop desktop;
    TForm4 form(desktop);
    EXPECT_EQ(form.windowTitle(), "Report");
    form.FormShow();
    EXPECT_EQ(form.Label1->text(), "You haven't saved any file yet.");
    EXPECT_FALSE(form.B_folder->isEnabled());
    EXPECT_EQ(form.ListBox1->count(), 0);
    EXPECT_EQ(form.Button2->text(), "&Open with default viewer");
    form.Button2Click();
    form.B_folderClick();
    EXPECT_TRUE(desktop.opened.empty());
}

TEST(ReportForm, SummaryFolderAndHandOff) {
    ScriptedDesktop desktop;
    TForm4 form(desktop);
    form.ClearReport();
    form.report().setFolder("/out/");
    form.FormShow();
    // A run that wrote nothing: folder shown, button enabled, nothing saved.
    EXPECT_EQ(form.Label1->text(), "You haven't saved any file yet.");
    EXPECT_TRUE(form.B_folder->isEnabled());
    EXPECT_EQ(form.Edit1->text(), "/out/");

    form.report().add("32-a.ico");
    form.FormShow();
    EXPECT_EQ(form.Label1->text(), "1 files are saved in the directory of ...");
    form.report().add("16-a.ico");
    form.report().add("b.bmp");
    form.FormShow();
    EXPECT_EQ(form.Label1->text(), "3 files are saved in the directory of ...");
    ASSERT_EQ(form.ListBox1->count(), 3);
    EXPECT_EQ(form.ListBox1->item(2)->text(), "b.bmp");

    form.Button2Click();  // nothing selected: nothing opened
    EXPECT_TRUE(desktop.opened.empty());
    form.ListBox1->setCurrentRow(1);
    form.Button2Click();
    form.B_folderClick();
    ASSERT_EQ(desktop.opened.size(), 2u);
    EXPECT_EQ(desktop.opened[0], std::filesystem::path("/out/16-a.ico"));
    EXPECT_EQ(desktop.opened[1], std::filesystem::path("/out/"));

    form.ClearReport();
    form.FormShow();
    EXPECT_EQ(form.ListBox1->count(), 0);
    EXPECT_TRUE(form.Edit1->text().isEmpty());
    EXPECT_FALSE(form.B_folder->isEnabled());
}

TEST(ReportForm, PreviewAtOwnSizeAndKeptForMissingFiles) {
    TempDir dir("report");
    RgbImage red = whiteImage(64, 64);
    for (auto& p : red.pixels) p = 0xFF0000;
    ASSERT_TRUE(writeJpegFile(dir.path / "big.jpg", red));
    ASSERT_TRUE(writeBmpFile(dir.path / "s.bmp", whiteImage(16, 16)));
    auto ico = icoBytes(standardIcon(32));
    std::ofstream(dir.path / "i.ico", std::ios::binary)
        .write(reinterpret_cast<const char*>(ico.data()), std::streamsize(ico.size()));

    ScriptedDesktop desktop;
    TForm4 form(desktop);
    form.report().setFolder(dir.path / "");
    for (const char* f : {"big.jpg", "s.bmp", "i.ico", "gone.bmp"}) form.report().add(f);
    form.FormShow();
    EXPECT_TRUE(form.Label5->text().isEmpty());

    clickItem(form, 0);
    EXPECT_EQ(form.Label5->text(), "big.jpg");
    EXPECT_GE(form.Label5->width(), 185);
    ASSERT_FALSE(form.Image5->pixmap().isNull());
    EXPECT_EQ(form.Image5->size(), QSize(64, 64));
    EXPECT_EQ(form.Image5->pos(), QPoint(17, 17));
    EXPECT_EQ(form.PreviewFrame->size(), QSize(73, 65));
    QColor c = form.Image5->pixmap().toImage().pixelColor(10, 10);
    EXPECT_GT(c.red(), 240);
    EXPECT_LT(c.green(), 20);

    clickItem(form, 1);
    EXPECT_EQ(form.Image5->size(), QSize(16, 16));
    clickItem(form, 2);
    EXPECT_EQ(form.Image5->size(), QSize(32, 32));
    clickItem(form, 3);
    EXPECT_EQ(form.Label5->text(), "gone.bmp");
    EXPECT_EQ(form.Image5->size(), QSize(32, 32));  // the previous picture stays
    EXPECT_FALSE(form.Image5->pixmap().isNull());

    form.FormShow();
    EXPECT_TRUE(form.Image5->pixmap().isNull());
}

TEST(ReportForm, BitmapPreviewIsTransparentInItsCornerColour) {
    TempDir dir("report");
    // White ground (the bottom-left pixel) with a black stripe.
    RgbImage pic = whiteImage(16, 16);
    for (int x = 0; x < 16; ++x) pic.pixels[std::size_t(5 * 16 + x)] = 0x000000;
    ASSERT_TRUE(writeBmpFile(dir.path / "p.bmp", pic));
    ASSERT_TRUE(writeJpegFile(dir.path / "p.jpg", pic));

    ScriptedDesktop desktop;
    TForm4 form(desktop);
    form.report().setFolder(dir.path / "");
    form.report().add("p.bmp");
    form.report().add("p.jpg");
    form.FormShow();
    clickItem(form, 0);
    QImage shown = form.Image5->pixmap().toImage();
    ASSERT_EQ(shown.size(), QSize(16, 16));
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(shown.pixel(15, 15)), 0);
    EXPECT_EQ(shown.pixel(3, 5), qRgba(0, 0, 0, 255));
    // A JPEG has no exact colours to key on: drawn whole.
    clickItem(form, 1);
    EXPECT_EQ(qAlpha(form.Image5->pixmap().toImage().pixel(0, 0)), 255);
}
