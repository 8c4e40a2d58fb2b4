#include "acquire/search_option_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "acquire/scan_test_tree.h"
#include "app/paths.h"
#include "app/settings.h"
#include "platform/private_profile.h"
#include "support/scripted_desktop.h"

namespace pellimar {
namespace {
namespace fs = std::filesystem;
using test::ScratchTree;
using test::ScriptedDesktop;

class SearchOptionTest : public ::testing::Test {
  protected:
    SearchOptionTest() { setProgramDir(dir.root()); }
    ~SearchOptionTest() override { setProgramDir({}); }

    fs::path ini() const { return dir.root() / "pellimarinfo.ini"; }
    void writeIni(const std::string& text) { dir.file("pellimarinfo.ini", text); }
    std::string key(const char* name) {
        return readProfileString(ini(), "SearchOption", name, "<missing>");
    }

    ScratchTree dir;
    ScriptedDesktop desktop;
    AppSettings s;
};

TEST_F(SearchOptionTest, FormAsDesigned) {
    Tsearchoptionfrm form(s, desktop);
    EXPECT_EQ(form.windowTitle(), "Other search setting");
    EXPECT_EQ(form.size(), QSize(411, 302));
    EXPECT_EQ(form.GroupBox1->title(), "Other search option");
    EXPECT_TRUE(form.GroupBox1->font().bold());
    EXPECT_EQ(form.searchbox->text(), "  Search child folder");
    EXPECT_EQ(form.clearbox->text(), "  Clear result");
    EXPECT_TRUE(form.searchbox->font().bold());
    EXPECT_TRUE(form.searchbox->isChecked());
    EXPECT_FALSE(form.clearbox->isChecked());
    EXPECT_EQ(form.Button1->text(), "&OK");
    EXPECT_FALSE(form.Button1->isDefault());
    form.show();
    EXPECT_EQ(form.Image1->height(), 65);
    EXPECT_EQ(form.Image1->width(), 411);
}

TEST_F(SearchOptionTest, AnythingButZeroIsOnAndMissingKeysAreOff) {
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
        Tsearchoptionfrm form(s, desktop);
        form.show();
        EXPECT_EQ(form.searchbox->isChecked(), c.search) << c.text;
        EXPECT_EQ(form.clearbox->isChecked(), c.clear) << c.text;
        EXPECT_EQ(s.searchchildfolder, c.search) << c.text;
        EXPECT_EQ(s.clearResult, c.clear) << c.text;
    }
}

TEST_F(SearchOptionTest, MissingFileMeansBothOffAndIsNotCreated) {
    s.searchchildfolder = true;
    s.clearResult = true;
    Tsearchoptionfrm form(s, desktop);
    form.show();
    EXPECT_FALSE(form.searchbox->isChecked());
    EXPECT_FALSE(form.clearbox->isChecked());
    EXPECT_FALSE(s.searchchildfolder);
    EXPECT_FALSE(s.clearResult);
    form.close();
    EXPECT_FALSE(fs::exists(ini()));
}

TEST_F(SearchOptionTest, BoxesChangeTheSettingsAtOnceButOnlyOkWrites) {
    writeIni("[SearchOption]\nsearchchildfolder=1\nclearResult=0\n");
    Tsearchoptionfrm form(s, desktop);
    form.show();
    form.searchbox->click();
    EXPECT_FALSE(s.searchchildfolder);
    form.clearbox->click();
    EXPECT_TRUE(s.clearResult);
    form.close();  // the close box
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(s.searchchildfolder);
    EXPECT_TRUE(s.clearResult);
    EXPECT_EQ(key("searchchildfolder"), "1");
    EXPECT_EQ(key("clearResult"), "0");
}

TEST_F(SearchOptionTest, OkAndEscapeWriteBothKeys) {
    for (bool viaEscape : {false, true}) {
        fs::remove(ini());
        Tsearchoptionfrm form(s, desktop);
        form.show();
        form.searchbox->click();  // off -> on
        if (viaEscape)
            QTest::keyClick(&form, Qt::Key_Escape);
        else
            form.Button1->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_FALSE(form.isVisible());
        EXPECT_EQ(key("searchchildfolder"), "1");
        EXPECT_EQ(key("clearResult"), "0");
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(SearchOptionTest, WriteFailureIsReportedAndTheDialogStaysOpen) {
    fs::create_directory(ini());
    Tsearchoptionfrm form(s, desktop);
    form.show();
    form.clearbox->click();
    form.Button1Click();
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
