// Every window under a large application font: no label or button cuts its text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "acquire/import_options_dialog.h"
#include "acquire/search_settings_dialog.h"
#include "app/main_window.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"
#include "viewer/icon_viewer.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;

namespace {

// The texts of the window's visible labels and buttons that do not fit, each with
// the room it has and the room it needs.
std::string clippedTexts(QWidget& window) {
    window.show();
    QApplication::processEvents();
    QStringList out;
    auto report = [&](QWidget* w, const QString& text, int has, int needs) {
        if (has < needs)
            out << QString("%1 '%2': %3 < %4")
                       .arg(w->metaObject()->className(), text)
                       .arg(has)
                       .arg(needs);
    };
    for (QLabel* l : window.findChildren<QLabel*>()) {
        if (!l->isVisibleTo(&window) || l->text().isEmpty() || l->wordWrap()) continue;
        const QFontMetrics fm(l->font());
        for (const QString& line : l->text().split('\n'))
            report(l, line, l->contentsRect().width(), fm.horizontalAdvance(line));
        report(l, l->text(), l->contentsRect().height(),
               fm.height() * int(l->text().count('\n') + 1));
    }
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(&window) || b->text().isEmpty()) continue;
        report(b, b->text(), b->width(), b->sizeHint().width());
    }
    for (QGroupBox* g : window.findChildren<QGroupBox*>()) {
        if (!g->isVisibleTo(&window)) continue;
        report(g, g->title(), g->width(),
               QFontMetrics(g->font()).horizontalAdvance(g->title()) + 16);
    }
    window.hide();
    return out.join('\n').toStdString();
}

}  // namespace

TEST(LargeFont, NothingIsCutAtFifteenPoints) {
    TempProgramDir dir("font");
    const QFont before = QApplication::font();
    QFont large = before;
    large.setPointSizeF(15);
    QApplication::setFont(large);
    {
        ScriptedDesktop desktop;
        MainWindow main(desktop);
        ImportOptionsDialog importOptions(main.settings(), desktop, &main);
        ExportOptionsDialog exportOptions(main.settings(), desktop, &main);
        ReportDialog report(desktop, &main);
        AboutDialog about(desktop, &main);
        TipsDialog tips(main.settings(), desktop, &main);
        SearchSettingsDialog search(main.settings(), desktop, &main);
        IconViewer viewer(desktop, &main);
        std::vector<std::pair<const char*, QWidget*>> windows = {{"main", &main},
                                                                 {"import options", &importOptions},
                                                                 {"export options", &exportOptions},
                                                                 {"report", &report},
                                                                 {"about", &about},
                                                                 {"tips", &tips},
                                                                 {"search", &search},
                                                                 {"viewer", &viewer}};
        report.report().setFolder("/home/someone/icons/");
        report.report().add("32-setup.exe-001.ico");
        for (auto [name, window] : windows) EXPECT_EQ(clippedTexts(*window), "") << name;
    }
    QApplication::setFont(before);
}
