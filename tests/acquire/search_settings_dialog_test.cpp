#include "acquire/search_settings_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "acquire/scan_test_tree.h"
#include "core/paths.h"
#include "core/settings.h"
#include "platform/private_profile.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScratchTree;
using test::ScriptedDesktop;

class SearchSettingsTest : public ::testing::Test {
  protected:
    SearchSettingsTest() { setProgramDir(dir.root()); }
    ~SearchSettingsTest() override { setProgramDir({}); }

    fs::path ini() const { return dir.root() / "pellimarinfo.ini"; }
    void writeIni(const std::string& text) { dir.file("pellimarinfo.ini", text); }
    std::string key(const char* name) {
        return readProfileString(ini(), "SearchOption", name, "<missing>");
    }

    ScratchTree dir;
    ScriptedDesktop desktop;
    AppSettings s;
};

TEST_F(SearchSettingsTest, FormAsDesigned) {
    SearchSettingsDialog form(s, desktop);
    EXPECT_EQ(form.windowTitle(), "Other search setting");
    EXPECT_EQ(form.optionsGroup->title(), "Other search option");
    EXPECT_TRUE(form.optionsGroup->font().bold());
    EXPECT_EQ(form.subFoldersBox->text(), "  Search child folder");
    EXPECT_EQ(form.clearResultBox->text(), "  Clear result");
    EXPECT_TRUE(form.subFoldersBox->font().bold());
    EXPECT_TRUE(form.subFoldersBox->isChecked());
    EXPECT_FALSE(form.clearResultBox->isChecked());
    EXPECT_EQ(form.okButton->text(), "&OK");
    EXPECT_TRUE(form.okButton->isDefault());
    // The banner runs across the whole top of the dialog.
    form.show();
    EXPECT_EQ(form.banner->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(form.banner->width(), form.width());
}

TEST_F(SearchSettingsTest, ReadsTheFileAsStartUpDoes) {
    // One reader: what the boxes show is what start-up takes from the same file.
    for (const char* text : {"[SearchOption]\nsearchchildfolder=2\n",
                             "[searchoption]\nSEARCHCHILDFOLDER=0\nclearResult=1\n",
                             "[SearchOption]\nsearchchildfolder=\nclearResult=yes\n",
                             "[Other]\nsearchchildfolder=0\n", "[SearchOption]\nclearResult=1\n"}) {
        writeIni(text);
        AppSettings atStart;
        loadSearchOptions(atStart);
        s.searchSubfolders = !atStart.searchSubfolders;
        s.clearResult = !atStart.clearResult;
        SearchSettingsDialog form(s, desktop);
        form.show();
        EXPECT_EQ(form.subFoldersBox->isChecked(), atStart.searchSubfolders) << text;
        EXPECT_EQ(form.clearResultBox->isChecked(), atStart.clearResult) << text;
        // Showing changes nothing in use.
        EXPECT_NE(s.searchSubfolders, atStart.searchSubfolders) << text;
        EXPECT_NE(s.clearResult, atStart.clearResult) << text;
    }
    // A key missing from the file takes the new file's value.
    writeIni("[Other]\nsearchchildfolder=0\n");
    AppSettings missing;
    missing.searchSubfolders = false;
    loadSearchOptions(missing);
    EXPECT_TRUE(missing.searchSubfolders);
    EXPECT_FALSE(missing.clearResult);
}

TEST_F(SearchSettingsTest, MissingFileShowsTheNewFilesValuesAndIsNotCreated) {
    s.searchSubfolders = false;
    s.clearResult = true;
    SearchSettingsDialog form(s, desktop);
    form.show();
    EXPECT_TRUE(form.subFoldersBox->isChecked());
    EXPECT_FALSE(form.clearResultBox->isChecked());
    EXPECT_FALSE(s.searchSubfolders);
    EXPECT_TRUE(s.clearResult);
    form.close();
    EXPECT_FALSE(fs::exists(ini()));
}

TEST_F(SearchSettingsTest, NothingChangesUntilOk) {
    writeIni("[SearchOption]\nsearchchildfolder=1\nclearResult=0\n");
    s.searchSubfolders = true;
    s.clearResult = false;
    {
        SearchSettingsDialog form(s, desktop);
        form.show();
        form.subFoldersBox->click();
        form.clearResultBox->click();
        form.close();  // the close box
        EXPECT_EQ(form.result(), QDialog::Rejected);
    }
    EXPECT_TRUE(s.searchSubfolders);
    EXPECT_FALSE(s.clearResult);
    EXPECT_EQ(key("searchchildfolder"), "1");
    EXPECT_EQ(key("clearResult"), "0");

    SearchSettingsDialog form(s, desktop);
    form.show();
    EXPECT_TRUE(form.subFoldersBox->isChecked());  // the last showing's clicks are gone
    form.subFoldersBox->click();
    form.clearResultBox->click();
    // Return presses OK, as in every dialog.
    QTest::keyClick(form.clearResultBox, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(s.searchSubfolders);
    EXPECT_TRUE(s.clearResult);
    EXPECT_EQ(key("searchchildfolder"), "0");
    EXPECT_EQ(key("clearResult"), "1");
}

TEST_F(SearchSettingsTest, OkAndEscapeWriteBothKeys) {
    for (bool viaEscape : {false, true}) {
        fs::remove(ini());
        SearchSettingsDialog form(s, desktop);
        form.show();
        form.subFoldersBox->click();  // on (as a new file says) -> off
        if (viaEscape)
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            form.okButton->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(key("searchchildfolder"), "0");
        EXPECT_EQ(key("clearResult"), "0");
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SearchSettingsTest, WriteFailureIsReportedAndTheDialogStaysOpen) {
    fs::create_directory(ini());
    SearchSettingsDialog form(s, desktop);
    form.show();
    s.clearResult = false;
    form.clearResultBox->click();
    form.confirm();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Cannot save the search settings to " + ini().string() +
                                            ": it is not a regular file.");
    EXPECT_EQ(desktop.messages[0].caption, "ERROR");
    EXPECT_EQ(desktop.messages[0].buttons, Buttons::Ok);
    EXPECT_TRUE(form.isVisible());
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_FALSE(s.clearResult);  // the settings in use keep their values
}

}  // namespace
}  // namespace pellimar
