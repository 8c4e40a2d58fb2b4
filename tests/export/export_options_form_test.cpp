#include "export/export_options_form.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/paths.h"
#include "save_fixtures.h"
#include "support/scripted_desktop.h"

using namespace pellimar;
using namespace pellimar::test;

namespace {

const std::string kNeedSize =
    "You need to specify the image size. Press 'OK' to follow the default size.";

struct OptionsFixture : ::testing::Test {
    TempDir dir{"options"};
    ScriptedDesktop desktop;
    AppSettings settings;
    TForm3 form{settings, desktop};

    void SetUp() override { setProgramDir(dir.path); }
    void clearSizes() {
        for (QCheckBox* b :
             {form.CHECKB128, form.CheckB64, form.CheckB48, form.CheckB32, form.CheckB16})
            b->setChecked(false);
    }
    std::string setupIni() const { return slurp(dir.path / "setup.ini"); }
};

}  // namespace

TEST_F(OptionsFixture, CaptionsAndShowState) {
    EXPECT_EQ(form.windowTitle(), "Export options");
    EXPECT_EQ(form.GroupBox1->title(), " Image size ");
    EXPECT_EQ(form.GroupBox2->title(), " File formats ");
    EXPECT_EQ(form.CHECKB128->text(), "  128 X 128");
    EXPECT_EQ(form.CheckB16->text(), "  16 X 16");
    EXPECT_EQ(form.Rbico->text(), "  ICON file");
    EXPECT_EQ(form.Rbjpg->text(), "  JPG file");
    EXPECT_EQ(form.Button1->text(), "&OK");
    EXPECT_EQ(form.size(), QSize(405, 257));

    settings.size_128 = false;
    settings.size_48 = true;
    settings.format = "bmp";
    form.FormShow();
    EXPECT_FALSE(form.CHECKB128->isChecked());
    EXPECT_TRUE(form.CheckB48->isChecked());
    EXPECT_TRUE(form.Rbbmp->isChecked());
    settings.format = "png";
    form.FormShow();
    EXPECT_TRUE(form.Rbjpg->isChecked());
    form.BitBtn1Click();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(settings.format, "jpg");
    EXPECT_NE(setupIni().find("format=jpg"), std::string::npos);
}

TEST_F(OptionsFixture, NoSizeAsksAndTicksThirtyTwoOnOk) {
    form.show();
    clearSizes();
    desktop.answers = {Answer::Cancel, Answer::Ok};
    form.BitBtn1Click();  // answered Cancel: nothing changes
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, kNeedSize);
    EXPECT_EQ(desktop.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Question);
    EXPECT_FALSE(form.CheckB32->isChecked());
    form.BitBtn1Click();  // answered OK: 32 ticked, still open, nothing stored
    EXPECT_TRUE(form.CheckB32->isChecked());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(settings.size_128);
    EXPECT_FALSE(std::filesystem::exists(dir.path / "setup.ini"));
    form.BitBtn1Click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(settings.size_128);
    EXPECT_TRUE(settings.size_32);
    EXPECT_NE(setupIni().find("size_128=0"), std::string::npos);
}

TEST_F(OptionsFixture, CloseBoxCancelsButNotWithoutASize) {
    form.show();
    clearSizes();
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, kNeedSize);

    form.CheckB64->setChecked(true);
    form.Rbbmp->setChecked(true);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(settings.size_64);  // abandoned changes are not stored
    EXPECT_EQ(settings.format, "ico");
    EXPECT_FALSE(std::filesystem::exists(dir.path / "setup.ini"));
    form.show();  // and the next showing restores the settings
    EXPECT_FALSE(form.CheckB64->isChecked());
    EXPECT_TRUE(form.Rbico->isChecked());
}

TEST_F(OptionsFixture, EscapeConfirmsLikeOk) {
    form.show();
    form.CheckB16->setChecked(true);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(settings.size_16);
    EXPECT_NE(setupIni().find("size_16=1"), std::string::npos);
}
