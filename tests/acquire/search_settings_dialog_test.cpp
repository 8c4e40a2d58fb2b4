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
    EXPECT_EQ(form.size(), QSize(411, 302));
    EXPECT_EQ(form.optionsGroup->title(), "Other search option");
    EXPECT_TRUE(form.optionsGroup->font().bold());
    EXPECT_EQ(form.subFoldersBox->text(), "  Search child folder");
    EXPECT_EQ(form.clearResultBox->text(), "  Clear result");
    EXPECT_TRUE(form.subFoldersBox->font().bold());
    EXPECT_TRUE(form.subFoldersBox->isChecked());
    EXPECT_FALSE(form.clearResultBox->isChecked());
    EXPECT_EQ(form.okButton->text(), "&OK");
    EXPECT_FALSE(form.okButton->isDefault());
    form.show();
    EXPECT_EQ(form.banner->height(), 65);
    EXPECT_EQ(form.banner->width(), 411);
}

TEST_F(SearchSettingsTest, AnythingButZeroIsOnAndMissingKeysAreOff) {
    struct Case {
        const char* text;
        bool search;
        bool clear;
    };
    for (const Case& c : {Case{"[SearchOption]\nsearchchildfolder=2\n", true, false},
                          Case{"[searchoption]\nSEARCHCHILDFOLDER=0\nclearResult=1\n", false, true},
                          Case{"[SearchOption]\nsearchchildfolder=\nclearResult=yes\n", true, true},
                          Case{"[Other]\nsearchchildfolder=1\n", false, false}}) {
        writeIni(c.text);
        s.searchchildfolder = !c.search;
        s.clearResult = !c.clear;
        SearchSettingsDialog form(s, desktop);
        form.show();
        EXPECT_EQ(form.subFoldersBox->isChecked(), c.search) << c.text;
        EXPECT_EQ(form.clearResultBox->isChecked(), c.clear) << c.text;
        EXPECT_EQ(s.searchchildfolder, c.search) << c.text;
        EXPECT_EQ(s.clearResult, c.clear) << c.text;
    }
}

TEST_F(SearchSettingsTest, MissingFileMeansBothOffAndIsNotCreated) {
    s.searchchildfolder = true;
    s.clearResult = true;
    SearchSettingsDialog form(s, desktop);
    form.show();
    EXPECT_FALSE(form.subFoldersBox->isChecked());
    EXPECT_FALSE(form.clearResultBox->isChecked());
    EXPECT_FALSE(s.searchchildfolder);
    EXPECT_FALSE(s.clearResult);
    form.close();
    EXPECT_FALSE(fs::exists(ini()));
}

TEST_F(SearchSettingsTest, BoxesChangeTheSettingsAtOnceButOnlyOkWrites) {
    writeIni("[SearchOption]\nsearchchildfolder=1\nclearResult=0\n");
    SearchSettingsDialog form(s, desktop);
    form.show();
    form.subFoldersBox->click();
    EXPECT_FALSE(s.searchchildfolder);
    form.clearResultBox->click();
    EXPECT_TRUE(s.clearResult);
    form.close();  // the close box
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(s.searchchildfolder);
    EXPECT_TRUE(s.clearResult);
    EXPECT_EQ(key("searchchildfolder"), "1");
    EXPECT_EQ(key("clearResult"), "0");
}

TEST_F(SearchSettingsTest, OkAndEscapeWriteBothKeys) {
    for (bool viaEscape : {false, true}) {
        fs::remove(ini());
        SearchSettingsDialog form(s, desktop);
        form.show();
        form.subFoldersBox->click();  // off -> on
        if (viaEscape)
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            form.okButton->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(key("searchchildfolder"), "1");
        EXPECT_EQ(key("clearResult"), "0");
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SearchSettingsTest, WriteFailureIsReportedAndTheDialogStaysOpen) {
    fs::create_directory(ini());
    SearchSettingsDialog form(s, desktop);
    form.show();
    form.clearResultBox->click();
    form.confirm();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "initialize search option false");
    EXPECT_EQ(desktop.messages[0].caption, "ERROR");
    EXPECT_EQ(desktop.messages[0].buttons, Buttons::Ok);
    EXPECT_TRUE(form.isVisible());
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_TRUE(s.clearResult);
}

}  // namespace
}  // namespace pellimar
