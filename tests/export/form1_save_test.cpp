// The save commands of the main window, end to end: rows imported from real
// files, the export options and report dialogs scripted, files read back by Qt.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <fstream>

#include "app/main_form.h"
#include "app/paths.h"
#include "app/settings.h"
#include "export/export_options_form.h"
#include "export/report_form.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"

using namespace pellimar;
namespace fx = pellimar::fixtures;
namespace fs = std::filesystem;

namespace {

QImage readImage(const fs::path& p) {
    return QImage(QString::fromStdString(p.string()));
}

struct MainSave : ::testing::Test {
    fx::TempDir dir;
    test::ScriptedDesktop desktop;
    TForm1 form1{desktop};
    TForm4 form4{desktop};
    TForm3 form3{settings(), desktop};
    fs::path lib, ico;

    void SetUp() override {
        setProgramDir(dir.path());
        settings() = AppSettings{};
        form1.setReportForm(&form4);
        form1.setExportOptionsForm(&form3);
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
            form3.FormShow();
            for (QCheckBox* b :
                 {form3.CHECKB128, form3.CheckB64, form3.CheckB48, form3.CheckB32, form3.CheckB16})
                b->setChecked(false);
            for (QCheckBox* b : sizes) b->setChecked(true);
            format->setChecked(true);
            form3.BitBtn1Click();
            return form3.result();
        });
    }
    std::vector<std::string> shownReport;
    void expectReport() {
        desktop.modalScripts.push_back([this](QDialog&) {
            form4.FormShow();
            shownReport.clear();
            for (int i = 0; i < form4.ListBox1->count(); ++i)
                shownReport.push_back(form4.ListBox1->item(i)->text().toStdString());
            shownReport.push_back(form4.Label1->text().toStdString());
            return 1;
        });
    }
};

}  // namespace

TEST_F(MainSave, SaveSelectedFromALibraryAsIcons) {
    form1.addResultRow(QImage(), lib, 0);
    form1.addResultRow(QImage(), lib, 1);
    form1.ListV1->setRowSelected(1, true);
    options({form3.CheckB32, form3.CheckB16}, form3.Rbico);
    desktop.saveAnswers.push_back(dir.path() / "out" / "icons.ico");
    expectReport();
    form1.ToolButton14Click();
    ASSERT_EQ(desktop.saveRequests.size(), 1u);
    EXPECT_EQ(desktop.saveRequests[0].filter, "ico file(s)   (*.ico)|*.ico");
    EXPECT_EQ(shownReport, (std::vector<std::string>{"32-icons.ico", "16-icons.ico",
                                                     "2 files are saved in the directory of ..."}));
    // Pattern colours are not the standard ones: 256 colours.
    EXPECT_EQ(fx::readWholeFile(dir.path() / "out" / "32-icons.ico").size(), 2238u);
    EXPECT_EQ(readImage(dir.path() / "out" / "16-icons.ico").size(), QSize(16, 16));
    EXPECT_EQ(form4.report().folder(), dir.path() / "out" / "");
    EXPECT_TRUE(desktop.errors.empty());
}

TEST_F(MainSave, SaveAllFromAnIconFileAsBitmaps) {
    for (int i = 0; i < 3; ++i) form1.addResultRow(QImage(), ico, i);
    options({form3.CheckB48, form3.CheckB16}, form3.Rbbmp);
    desktop.saveAnswers.push_back(dir.path() / "out" / "x.png");  // becomes x.bmp
    expectReport();
    form1.ListV1->setRowSelected(0, true);  // the pop-up menu offers Select All once a row is
    form1.PopupSavePopup();                 // selected
    form1.Pop_SaveallClick();
    EXPECT_EQ(form1.selectedCount(), 3);
    EXPECT_EQ(shownReport, (std::vector<std::string>{"16-x-001.bmp", "48-x-002.bmp",
                                                     "2 files are saved in the directory of ..."}));
    QImage big = readImage(dir.path() / "out" / "48-x-002.bmp");
    ASSERT_EQ(big.size(), QSize(48, 48));
    EXPECT_EQ(big.pixel(0, 5) & 0xFFFFFF, 0xFFFFFFu);  // the transparent column, on white
    EXPECT_EQ(big.pixel(5, 5) & 0xFFFFFF, fx::patternIcon(48, 48).pixel(5, 5) & 0xFFFFFF);
    EXPECT_EQ(settings().format, "bmp");
}

TEST_F(MainSave, UnwritableFolderEndsTheRunWithTheErrorBox) {
    form1.addResultRow(QImage(), lib, 1);
    form1.addResultRow(QImage(), lib, 1);
    form1.ListV1->selectAll();
    std::ofstream(dir.path() / "plain") << "x";
    options({form3.CheckB32}, form3.Rbjpg);
    desktop.saveAnswers.push_back(dir.path() / "plain" / "p.jpg");
    form1.ToolButton14Click();
    ASSERT_EQ(desktop.errors.size(), 1u);
    EXPECT_NE(desktop.errors[0].find("p-001.jpg"), std::string::npos);
    EXPECT_EQ(desktop.modalForms.size(), 1u);  // the report is not shown
}

TEST_F(MainSave, NothingSelectedOrCancelledDoesNothing) {
    form1.addResultRow(QImage(), lib, 1);
    form1.ToolButton14Click();
    EXPECT_TRUE(desktop.modalForms.empty());
    form1.ListV1->selectAll();
    desktop.modalScripts.push_back([](QDialog&) { return 0; });  // close box
    form1.ToolButton14Click();
    EXPECT_EQ(desktop.modalForms.size(), 1u);
    EXPECT_TRUE(desktop.saveRequests.empty());
    form1.Report1Click();
    ASSERT_EQ(desktop.modalForms.size(), 2u);
    EXPECT_EQ(desktop.modalForms[1], &form4);
    form1.OptionsToSave1Click();
    EXPECT_EQ(desktop.modalForms[2], &form3);
}
