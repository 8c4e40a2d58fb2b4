#include "dialogs/tips_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include "core/settings.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;

namespace {

std::string numberedTips(int count, const char* eol = "\r\n") {
    std::string text;
    for (int i = 1; i <= count; ++i) text += "Tip number " + std::to_string(i) + eol;
    return text;
}

class TipsTest : public ::testing::Test {
  protected:
    TipsTest() : dir_("tips"), form_(settings_, desktop_) { settings_.tipNumber = 5; }
    void tipsFile(const std::string& text) {
        TempProgramDir::writeFile(dir_.program() / "tips.dat", text);
    }
    QString shown() const { return form_.tipText->toPlainText(); }

    TempProgramDir dir_;
    ScriptedDesktop desktop_;
    AppSettings settings_;
    TipsDialog form_;
};

}  // namespace

TEST(TipLines, SplitOnCrLfLfAndCr) {
    EXPECT_EQ(splitTipLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(splitTipLines("a\r\n\r\nb\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(splitTipLines("\n"), (QStringList{""}));
    EXPECT_TRUE(splitTipLines("").isEmpty());
}

TEST_F(TipsTest, ShowingAdvancesAndNextWrapsAround) {
    tipsFile(numberedTips(10));
    form_.startShowing();
    EXPECT_EQ(shown(), "Tip number 7");
    EXPECT_EQ(settings_.tipNumber, 6);
    for (int expected : {8, 9, 10, 1, 2}) {
        form_.nextButton->click();
        EXPECT_EQ(shown(), QString("Tip number %1").arg(expected));
    }
}

TEST_F(TipsTest, NumberBeyondTheLastStartsAgainAtTheFirst) {
    tipsFile(numberedTips(10, "\n"));
    settings_.tipNumber = 12;
    form_.startShowing();
    EXPECT_EQ(shown(), "Tip number 1");
}

TEST_F(TipsTest, OneLineIsShownEveryTime) {
    tipsFile("Only one\r");
    form_.startShowing();
    EXPECT_EQ(shown(), "Only one");
    form_.showNextTip();
    EXPECT_EQ(shown(), "Only one");
}

TEST_F(TipsTest, NegativeNumberKeepsTheWelcomeUntilItReachesZero) {
    tipsFile(numberedTips(10));
    settings_.tipNumber = -3;
    const QString welcome = shown();
    EXPECT_TRUE(welcome.contains("Welcome to Pellimar!"));
    form_.startShowing();
    EXPECT_EQ(shown(), welcome);
    form_.showNextTip();
    EXPECT_EQ(shown(), welcome);
    form_.showNextTip();
    EXPECT_EQ(shown(), "Tip number 1");
}

TEST_F(TipsTest, TipReplacesTheCentredBoldWelcomeWithPlainLeftText) {
    QTextCursor before(form_.tipText->document());
    before.movePosition(QTextCursor::End);
    EXPECT_EQ(before.blockFormat().alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_TRUE(form_.tipText->document()->defaultFont().bold());
    tipsFile(numberedTips(3));
    form_.startShowing();
    QTextCursor after(form_.tipText->document());
    EXPECT_FALSE(after.blockFormat().alignment() & Qt::AlignHCenter);
    EXPECT_FALSE(form_.tipText->document()->defaultFont().bold());
    EXPECT_EQ(form_.tipText->document()->defaultFont().pointSize(), 11);
}

TEST_F(TipsTest, MissingTipsFileShowsANoteInsteadOfFailing) {
    form_.startShowing();
    EXPECT_TRUE(shown().contains("tips.dat"));
    EXPECT_EQ(settings_.tipNumber, 0);
}

TEST_F(TipsTest, CloseWritesTheCheckBoxAndTheNumber) {
    tipsFile(numberedTips(10));
    settings_.showTipsAtStart = true;
    form_.startShowing();
    EXPECT_TRUE(form_.showAtStartBox->isChecked());
    form_.showAtStartBox->setChecked(false);
    form_.closeButton->click();
    EXPECT_EQ(form_.result(), QDialog::Accepted);
    EXPECT_FALSE(settings_.showTipsAtStart);
    AppSettings back;
    loadSettings(back);
    EXPECT_FALSE(back.showTipsAtStart);
    EXPECT_EQ(back.tipNumber, 6);
}

TEST_F(TipsTest, TheCloseBoxWritesNothing) {
    tipsFile(numberedTips(10));
    TempProgramDir::writeFile(dir_.program() / "setup.ini", "[tipoptions]\nshow=1\nnum=5\n");
    settings_.showTipsAtStart = true;
    form_.startShowing();
    form_.showAtStartBox->setChecked(false);
    form_.reject();
    EXPECT_TRUE(settings_.showTipsAtStart);
    EXPECT_EQ(TempProgramDir::readFile(dir_.program() / "setup.ini"),
              "[tipoptions]\nshow=1\nnum=5\n");
}

TEST_F(TipsTest, AFailedSaveIsReportedAndTheWindowStaysOpen) {
    dir_.makeProgramDirUnwritable();
    dir_.makeConfigUnwritable();
    settings_.showTipsAtStart = true;
    form_.showAtStartBox->setChecked(false);
    form_.setResult(QDialog::Rejected);
    form_.closeButton->click();
    ASSERT_EQ(desktop_.errors.size(), 1u);
    EXPECT_EQ(desktop_.errors[0].rfind("Unable to write to ", 0), 0u);
    EXPECT_EQ(form_.result(), QDialog::Rejected);
    EXPECT_TRUE(settings_.showTipsAtStart);  // not taken while the file does not hold it
}
