#include "acquire/import_options_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
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

class ImportOptionsTest : public ::testing::Test {
  protected:
    ImportOptionsTest() { setProgramDir(dir.root()); }
    ~ImportOptionsTest() override { setProgramDir({}); }

    AppSettings settingsWith(bool exe, bool dll, bool ico, bool icl, int maxUnits) {
        AppSettings s;
        s.importExe = exe;
        s.importDll = dll;
        s.importIco = ico;
        s.importIcl = icl;
        s.importLimit = maxUnits;
        return s;
    }
    fs::path setupIni() const { return dir.root() / "setup.ini"; }

    ScratchTree dir;
    ScriptedDesktop desktop;
};

TEST_F(ImportOptionsTest, FormAsDesigned) {
    AppSettings s;
    ImportOptionsDialog form(s, desktop);
    EXPECT_EQ(form.windowTitle(), "Import options");
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.maximumGroup->title(), " Search maximum  ");
    EXPECT_EQ(form.kindsGroup->title(), " Search these files ");
    EXPECT_EQ(form.limitButton->text(), " No more than ");
    EXPECT_EQ(form.noLimitButton->text(), " No limit.");
    EXPECT_EQ(form.iconsLabel->text(), "icons.");
    EXPECT_EQ(form.limitEdit->text(), "100");
    EXPECT_TRUE(form.limitButton->isChecked());
    EXPECT_EQ(form.exeBox->text(), " *.EXE");
    EXPECT_EQ(form.dllBox->text(), " *.DLL");
    EXPECT_EQ(form.icoBox->text(), " *.ICO");
    EXPECT_EQ(form.iclBox->text(), " *.ICL");
    EXPECT_TRUE(form.exeBox->isChecked());
    EXPECT_TRUE(form.dllBox->isChecked());
    EXPECT_FALSE(form.icoBox->isChecked());
    EXPECT_FALSE(form.iclBox->isChecked());
    EXPECT_EQ(form.okButton->text(), "&OK");
    EXPECT_TRUE(form.okButton->isDefault());
    EXPECT_FALSE(form.okButton->autoDefault());
}

TEST_F(ImportOptionsTest, ShowingLoadsTheSettingsAndCentres) {
    AppSettings s = settingsWith(false, true, true, false, 20);
    ImportOptionsDialog form(s, desktop);
    form.show();
    EXPECT_FALSE(form.exeBox->isChecked());
    EXPECT_TRUE(form.dllBox->isChecked());
    EXPECT_TRUE(form.icoBox->isChecked());
    EXPECT_FALSE(form.iclBox->isChecked());
    EXPECT_TRUE(form.limitButton->isChecked());
    EXPECT_EQ(form.limitEdit->text(), "20");
    EXPECT_TRUE(form.limitEdit->isEnabled());
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QSize outer = form.frameGeometry().size();
    EXPECT_EQ(form.frameGeometry().topLeft(),
              QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 2));
    form.hide();

    // moved away and shown again: centred again, and the settings reloaded
    form.move(0, 0);
    s.importLimit = -5;
    form.show();
    EXPECT_NE(form.pos(), QPoint(0, 0));
    EXPECT_TRUE(form.limitButton->isChecked());
    EXPECT_EQ(form.limitEdit->text(), "-5");
}

TEST_F(ImportOptionsTest, RadioButtonsEnableTheNumber) {
    AppSettings s;
    ImportOptionsDialog form(s, desktop);
    form.noLimitButton->click();
    EXPECT_FALSE(form.limitEdit->isEnabled());
    form.limitButton->click();
    EXPECT_TRUE(form.limitEdit->isEnabled());
}

TEST_F(ImportOptionsTest, NoLimitStoresZeroAndKeepsTheTypedText) {
    AppSettings s = settingsWith(true, true, false, false, 100);
    ImportOptionsDialog form(s, desktop);
    form.show();
    form.noLimitButton->click();
    form.confirm();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(s.importLimit, 0);
    EXPECT_EQ(ProfileFile(setupIni()).integer("importoptions", "max_units", -1), 0);

    form.limitEdit->setText("77");
    form.show();
    EXPECT_TRUE(form.noLimitButton->isChecked());
    EXPECT_EQ(form.limitEdit->text(), "77");  // left as it was
    EXPECT_FALSE(form.limitEdit->isEnabled());
}

TEST_F(ImportOptionsTest, TypedNumbersAreStoredAsTyped) {
    struct Case {
        const char* text;
        int stored;
        bool limitSelectedNext;
    };
    for (const Case& c : {Case{"0", 0, false}, Case{"-5", -5, true}, Case{"250", 250, true},
                          Case{"$1F", 31, true}, Case{" 12", 12, true}}) {
        AppSettings s;
        ImportOptionsDialog form(s, desktop);
        form.show();
        form.limitButton->click();
        form.limitEdit->setText(c.text);
        form.confirm();
        EXPECT_EQ(form.result(), QDialog::Accepted) << c.text;
        EXPECT_EQ(s.importLimit, c.stored) << c.text;
        form.show();
        EXPECT_EQ(form.limitButton->isChecked(), c.limitSelectedNext) << c.text;
    }
    EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ImportOptionsTest, TextThatIsNotANumberIsRefusedEvenWithNoLimit) {
    for (const char* text : {"abc", "", "12a", "1.5", "99999999999", "12 "}) {
        fs::remove(setupIni());
        AppSettings s = settingsWith(true, false, false, false, 30);
        ImportOptionsDialog form(s, desktop);
        form.show();
        form.noLimitButton->click();
        form.limitEdit->setText(text);
        desktop.messages.clear();
        form.confirm();
        ASSERT_EQ(desktop.messages.size(), 1u) << text;
        EXPECT_EQ(desktop.messages[0].text,
                  "The most icons to import must be a whole number, such as 100.");
        EXPECT_EQ(desktop.messages[0].buttons, Buttons::Retry);
        EXPECT_EQ(form.limitEdit->text(), "100");
        EXPECT_TRUE(form.isVisible());
        EXPECT_NE(form.result(), QDialog::Accepted);
        EXPECT_EQ(s.importLimit, 30);
        EXPECT_FALSE(fs::exists(setupIni()));

        form.confirm();  // the reset text goes through
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(s.importLimit, 0);
    }
}

TEST_F(ImportOptionsTest, AtLeastOneKindMustBeTicked) {
    AppSettings s = settingsWith(true, true, false, false, 30);
    ImportOptionsDialog form(s, desktop);
    form.show();
    form.exeBox->setChecked(false);
    form.dllBox->setChecked(false);
    form.limitEdit->setText("5");
    form.confirm();
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "Choose at least one kind of file to search.");
    EXPECT_EQ(desktop.messages[0].buttons, Buttons::Retry);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(s.importLimit, 30);
    EXPECT_TRUE(s.importExe);
    EXPECT_EQ(form.limitEdit->text(), "5");

    form.iclBox->setChecked(true);  // only .ICL is enough
    form.confirm();
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(s.importExe);
    EXPECT_FALSE(s.importDll);
    EXPECT_FALSE(s.importIco);
    EXPECT_TRUE(s.importIcl);
    EXPECT_EQ(s.importLimit, 5);
    EXPECT_EQ(ProfileFile(setupIni()).integer("importoptions", "format_icl", -1), 1);
    EXPECT_EQ(ProfileFile(setupIni()).integer("importoptions", "format_exe", -1), 0);
}

TEST_F(ImportOptionsTest, EscapePressesOk) {
    AppSettings s = settingsWith(true, true, false, false, 30);
    ImportOptionsDialog form(s, desktop);
    form.show();
    form.limitEdit->setText("x");
    QTest::keyClick(&form, Qt::Key_Escape);
    ASSERT_EQ(desktop.messages.size(), 1u);  // validated like OK
    EXPECT_TRUE(form.isVisible());
    form.limitEdit->setText("42");
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(s.importLimit, 42);
    EXPECT_EQ(ProfileFile(setupIni()).integer("importoptions", "max_units", -1), 42);
}

TEST_F(ImportOptionsTest, ReturnPressesOkFromTheNumber) {
    AppSettings s = settingsWith(true, true, false, false, 30);
    ImportOptionsDialog form(s, desktop);
    form.show();
    form.limitEdit->setText("x");
    QTest::keyClick(form.limitEdit, Qt::Key_Return);
    ASSERT_EQ(desktop.messages.size(), 1u);  // validated like OK
    form.limitEdit->setText("7");
    QTest::keyClick(form.limitEdit, Qt::Key_Return);
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(s.importLimit, 7);
}

TEST_F(ImportOptionsTest, CloseBoxCancelsWithoutCheckingOrStoring) {
    AppSettings s = settingsWith(true, true, false, false, 30);
    ImportOptionsDialog form(s, desktop);
    form.show();
    form.limitEdit->setText("x");
    form.exeBox->setChecked(false);
    form.dllBox->setChecked(false);
    form.close();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_TRUE(s.importExe);
    EXPECT_EQ(s.importLimit, 30);
    EXPECT_FALSE(fs::exists(setupIni()));
}

TEST_F(ImportOptionsTest, WriteFailureIsReportedAndTheDialogStaysOpen) {
    fs::create_directory(setupIni());  // a folder where the file should go
    AppSettings s = settingsWith(true, true, false, false, 30);
    ImportOptionsDialog form(s, desktop);
    form.show();
    form.limitEdit->setText("12");
    form.confirm();
    ASSERT_EQ(desktop.errors.size(), 1u);
    EXPECT_EQ(desktop.errors[0], "Unable to write to " + setupIni().string());
    EXPECT_TRUE(form.isVisible());
    EXPECT_NE(form.result(), QDialog::Accepted);
    EXPECT_EQ(s.importLimit, 30);  // nothing is taken until the file holds it
}

TEST(ParseTypedInteger, Forms) {
    EXPECT_EQ(parseTypedInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseTypedInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(parseTypedInteger("2147483648"), std::nullopt);
    EXPECT_EQ(parseTypedInteger("0x10"), 16);
    EXPECT_EQ(parseTypedInteger("-$10"), -16);
    EXPECT_EQ(parseTypedInteger("+7"), 7);
    EXPECT_EQ(parseTypedInteger("-"), std::nullopt);
    EXPECT_EQ(parseTypedInteger("0x"), std::nullopt);
    EXPECT_EQ(parseTypedInteger("1e3"), std::nullopt);
}

}  // namespace
}  // namespace pellimar
