#include "export/export_options_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "core/paths.h"
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
    ExportOptionsDialog form{settings, desktop};

    void SetUp() override { setProgramDir(dir.path); }
    void clearSizes() {
        for (QCheckBox* b :
             {form.size128Box, form.size64Box, form.size48Box, form.size32Box, form.size16Box})
            b->setChecked(false);
    }
    std::string setupIni() const { return slurp(dir.path / "setup.ini"); }
};

}  // namespace

TEST_F(OptionsFixture, CaptionsAndShowState) {
    EXPECT_EQ(form.windowTitle(), "Export options");
    EXPECT_EQ(form.sizeGroup->title(), " Image size ");
    EXPECT_EQ(form.formatGroup->title(), " File formats ");
    EXPECT_EQ(form.size128Box->text(), "  128 X 128");
    EXPECT_EQ(form.size16Box->text(), "  16 X 16");
    EXPECT_EQ(form.icoButton->text(), "  ICON file");
    EXPECT_EQ(form.jpgButton->text(), "  JPG file");
    EXPECT_EQ(form.okButton->text(), "&OK");
    EXPECT_EQ(form.pngButton->text(), "  PNG file");
    EXPECT_EQ(form.originalButton->text(), "  Original icon");

    settings.saveSize128 = false;
    settings.saveSize48 = true;
    settings.saveFormat = "bmp";
    form.showCurrentSettings();
    EXPECT_FALSE(form.size128Box->isChecked());
    EXPECT_TRUE(form.size48Box->isChecked());
    EXPECT_TRUE(form.bmpButton->isChecked());
    settings.saveFormat = "png";
    form.showCurrentSettings();
    EXPECT_TRUE(form.pngButton->isChecked());
    settings.saveFormat = "original";
    form.showCurrentSettings();
    EXPECT_TRUE(form.originalButton->isChecked());
    // A value no version writes reads as JPEG, as it always did.
    settings.saveFormat = "gif";
    form.showCurrentSettings();
    EXPECT_TRUE(form.jpgButton->isChecked());
    form.confirm();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(settings.saveFormat, "jpg");
    EXPECT_NE(setupIni().find("format=jpg"), std::string::npos);
}

TEST_F(OptionsFixture, NoSizeAsksAndTicksThirtyTwoOnOk) {
    form.show();
    clearSizes();
    desktop.answers = {Answer::Cancel, Answer::Ok};
    form.confirm();  // answered Cancel: nothing changes
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, kNeedSize);
    EXPECT_EQ(desktop.messages[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::Question);
    EXPECT_FALSE(form.size32Box->isChecked());
    form.confirm();  // answered OK: 32 ticked, still open, nothing stored
    EXPECT_TRUE(form.size32Box->isChecked());
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(settings.saveSize128);
    EXPECT_FALSE(std::filesystem::exists(dir.path / "setup.ini"));
    form.confirm();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(settings.saveSize128);
    EXPECT_TRUE(settings.saveSize32);
    EXPECT_NE(setupIni().find("size_128=0"), std::string::npos);
}

TEST_F(OptionsFixture, CloseBoxCancelsButNotWithoutASize) {
    form.show();
    clearSizes();
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, kNeedSize);

    form.size64Box->setChecked(true);
    form.bmpButton->setChecked(true);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(settings.saveSize64);  // abandoned changes are not stored
    EXPECT_EQ(settings.saveFormat, "ico");
    EXPECT_FALSE(std::filesystem::exists(dir.path / "setup.ini"));
    form.show();  // and the next showing restores the settings
    EXPECT_FALSE(form.size64Box->isChecked());
    EXPECT_TRUE(form.icoButton->isChecked());
}

TEST_F(OptionsFixture, EscapeConfirmsLikeOk) {
    form.show();
    form.size16Box->setChecked(true);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(settings.saveSize16);
    EXPECT_NE(setupIni().find("size_16=1"), std::string::npos);
}

TEST_F(OptionsFixture, AFailedWriteIsReportedAndTheSettingsKeepTheirValues) {
    std::filesystem::create_directory(dir.path / "setup.ini");  // a folder where the file goes
    form.show();
    form.size64Box->setChecked(true);
    form.bmpButton->setChecked(true);
    form.okButton->click();
    ASSERT_EQ(desktop.errors.size(), 1u);
    EXPECT_EQ(desktop.errors[0].rfind("Unable to write to ", 0), 0u);
    EXPECT_TRUE(form.isVisible());
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_FALSE(settings.saveSize64);  // not taken while the file does not hold it
    EXPECT_EQ(settings.saveFormat, "ico");
}

TEST_F(OptionsFixture, PngAndOriginalIconAreStoredAndReadBack) {
    for (auto [button, value] :
         {std::pair{form.pngButton, "png"}, std::pair{form.originalButton, "original"},
          std::pair{form.jpgButton, "jpg"}}) {
        form.show();
        button->setChecked(true);
        form.okButton->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(settings.saveFormat, value);
        EXPECT_NE(setupIni().find(std::string("format=") + value), std::string::npos);
        AppSettings read;
        loadSettings(read);
        EXPECT_EQ(read.saveFormat, value);
        form.icoButton->setChecked(true);  // the next showing must restore the stored one
        form.show();
        EXPECT_TRUE(button->isChecked()) << value;
        form.hide();
    }
}

// Each format says in one line below it what it keeps, the one that keeps every
// image as stored beside the sized ones.
TEST_F(OptionsFixture, EachFormatSaysWhatItKeeps) {
    form.show();
    QLabel* lines[] = {form.icoKeeps, form.bmpKeeps, form.jpgKeeps, form.pngKeeps,
                       form.originalKeeps};
    QRadioButton* radios[] = {form.icoButton, form.bmpButton, form.jpgButton, form.pngButton,
                              form.originalButton};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(lines[i]->isVisible());
        EXPECT_EQ(lines[i]->parentWidget(), form.formatGroup);
        EXPECT_EQ(lines[i]->y(), radios[i]->geometry().bottom() + 1);
        EXPECT_EQ(radios[i]->accessibleDescription(), lines[i]->text());
    }
    EXPECT_EQ(form.icoKeeps->text(), "programs: 32 and 16 px, 256 colours at most");
    EXPECT_EQ(form.originalKeeps->text(), "as stored, every image: nothing left out");
}
