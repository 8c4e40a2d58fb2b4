// Text colours against their backgrounds, under the light Fusion palette and a
// dark one: every text the program colours must stay readable (4.5:1 at least).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleFactory>
#include <QTextCursor>
#include <QTextEdit>

#include "app/main_window.h"
#include "core/colours.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/report_dialog.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;

namespace {

// A dark palette for the Fusion style, as dark desktop themes set it.
QPalette darkPalette() {
    QPalette p;
    const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, QColor(80, 80, 80));
    p.setColor(QPalette::Midlight, QColor(66, 66, 66));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Dark, QColor(30, 30, 30));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(110, 175, 255));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    return p;
}

struct Sample {
    const char* what;
    QColor text, background;
};

// The texts the program gives colours of its own to, each with what it stands on.
std::vector<Sample> colouredTexts(ScriptedDesktop& desktop, MainWindow& main) {
    std::vector<Sample> out;
    AboutDialog about(desktop, &main);
    const QColor aboutBack = about.palette().color(QPalette::Window);
    out.push_back(
        {"About title", about.titleLabel->palette().color(QPalette::WindowText), aboutBack});
    out.push_back({"About link", about.webLink->palette().color(QPalette::WindowText), aboutBack});
    out.push_back({"About publisher", about.publisherLabel->palette().color(QPalette::WindowText),
                   aboutBack});

    ReportDialog report(desktop, &main);
    report.ensurePolished();
    report.folderEdit->ensurePolished();
    out.push_back({"Report folder", report.folderEdit->palette().color(QPalette::Text),
                   report.folderEdit->palette().color(QPalette::Base)});

    TipsDialog tips(main.settings(), desktop, &main);
    tips.showNextTip();
    QTextCursor c(tips.tipText->document());
    c.movePosition(QTextCursor::NextCharacter);
    QColor tipColour = c.charFormat().foreground().color();
    if (!c.charFormat().hasProperty(QTextFormat::ForegroundBrush))
        tipColour = tips.tipText->palette().color(QPalette::Text);
    out.push_back({"Tip", tipColour, tips.tipText->palette().color(QPalette::Base)});
    out.push_back({"Tips heading", tips.heading->palette().color(QPalette::WindowText),
                   tips.palette().color(QPalette::Window)});
    return out;
}

}  // namespace

TEST(Colours, EveryColouredTextIsReadableInLightAndDarkPalettes) {
    TempProgramDir dir("colours");
    QStyle* fusion = QStyleFactory::create("Fusion");
    ASSERT_NE(fusion, nullptr);
    const QPalette before = QApplication::palette();
    for (const auto& [name, palette] :
         {std::pair{"light", fusion->standardPalette()}, std::pair{"dark", darkPalette()}}) {
        QApplication::setPalette(palette);
        ScriptedDesktop desktop;
        MainWindow main(desktop);
        for (const Sample& s : colouredTexts(desktop, main))
            EXPECT_GE(contrastRatio(s.text, s.background), 4.5)
                << name << ": " << s.what << " " << s.text.name().toStdString() << " on "
                << s.background.name().toStdString();
    }
    QApplication::setPalette(before);
    delete fusion;
}
