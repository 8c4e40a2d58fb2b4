// Every window under a large application font: no label or button cuts its text.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTableView>
#include <QTranslator>
#include <cerrno>
#include <fstream>

#include "acquire/import_options_dialog.h"
#include "acquire/search_settings_dialog.h"
#include "app/main_window.h"
#include "app/result_list.h"
#include "app/translations.h"
#include "app/window_controls.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "support/crowded_controls.h"
#include "support/fixtures.h"
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
        if (!l->isVisibleTo(&window) || l->text().isEmpty()) continue;
        if (l->wordWrap()) {
            // Wrapped into lines: all of them must have room.
            const int width = l->contentsRect().width();
            report(l, l->text(), l->contentsRect().height(), l->heightForWidth(width));
            continue;
        }
        const QFontMetrics fm(l->font());
        for (const QString& line : l->text().split('\n'))
            report(l, line, l->contentsRect().width(), fm.horizontalAdvance(line));
        report(l, l->text(), l->contentsRect().height(),
               fm.height() * int(l->text().count('\n') + 1));
    }
    for (QAbstractButton* b : window.findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(&window) || b->text().isEmpty()) continue;
        const QFontMetrics fm(b->font());
        QString shown = b->text();
        shown.remove('&');
        if (qobject_cast<QPushButton*>(b)) {
            // A push button's size hint has a least width of the style's, whatever
            // its text: what must fit is the text within the button's margins.
            report(b, b->text(), b->width(), fm.horizontalAdvance(shown) + 12);
        } else {
            // Blanks a text ends with need no room.
            report(b, b->text(), b->width(),
                   b->sizeHint().width() - fm.horizontalAdvance(shown) +
                       fm.horizontalAdvance(shown.trimmed()));
        }
    }
    // Nor does any of them reach past the panel it stands on.
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisibleTo(&window) || w->parentWidget() == &window) continue;
        if (!qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w)) continue;
        if (!qobject_cast<QGroupBox*>(w->parentWidget())) continue;
        const QString text = qobject_cast<QLabel*>(w) ? qobject_cast<QLabel*>(w)->text()
                                                      : qobject_cast<QAbstractButton*>(w)->text();
        if (text.isEmpty()) continue;
        report(w, text + " (in its group)", w->parentWidget()->width(), w->geometry().right() + 1);
    }
    for (QGroupBox* g : window.findChildren<QGroupBox*>()) {
        if (!g->isVisibleTo(&window)) continue;
        report(g, g->title(), g->width(),
               QFontMetrics(g->font()).horizontalAdvance(g->title()) + 16);
    }
    // Nor does a column header cut its title, nor a column of short texts (the
    // icon's number, its resource) a cell; names and paths are shortened in their
    // middle by design.
    for (QTableView* table : window.findChildren<QTableView*>()) {
        if (!table->isVisibleTo(&window)) continue;
        QHeaderView* header = table->horizontalHeader();
        const QFontMetrics fm(header->font());
        const int margin =
            2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column)) continue;
            const QString title = table->model()->headerData(column, Qt::Horizontal).toString();
            report(header, title, header->sectionSize(column),
                   fm.horizontalAdvance(title) + margin);
        }
        for (int column : {int(ResultList::ColLocation), int(ResultList::ColResource)})
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                const QString text = table->model()->index(row, column).data().toString();
                const QFontMetrics cellFont(table->font());
                report(table, text, table->columnWidth(column),
                       cellFont.horizontalAdvance(text) + margin);
            }
    }
    // Nor does any control cover another or reach past its panel.
    if (const std::string crowded = test::crowdedControls(window); !crowded.empty())
        out << QString::fromStdString(crowded);
    window.hide();
    return out.join('\n').toStdString();
}

}  // namespace

// In English and German, at the default font and at 15 points.
TEST(LargeFont, NothingIsCutInEitherLanguageAtTheDefaultFontOrFifteenPoints) {
    TempProgramDir dir("font");
    {
        // An icon whose second image is cut off in its pixels.
        fixtures::IconImage damaged = fixtures::dibImage(fixtures::patternIcon(48, 48, 200), 8);
        damaged.data.resize(40 + 256 * 4 + 10);
        const fixtures::Bytes ico =
            fixtures::makeIco({fixtures::dibImage(fixtures::patternIcon(32, 32, 16), 4), damaged});
        std::ofstream(dir.root() / "damaged.ico", std::ios::binary)
            .write(reinterpret_cast<const char*>(ico.data()), std::streamsize(ico.size()));
    }
    const QFont before = QApplication::font();
    for (bool german : {false, true}) {
        if (german) {
            ASSERT_TRUE(loadTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)));
        }
        for (double points : {before.pointSizeF(), 15.0}) {
            QFont font = before;
            font.setPointSizeF(points);
            QApplication::setFont(font);
            ScriptedDesktop desktop;
            MainWindow main(desktop);
            ImportOptionsDialog importOptions(main.settings(), desktop, &main);
            ExportOptionsDialog exportOptions(main.settings(), desktop, &main);
            ReportDialog report(desktop, &main);
            AboutDialog about(desktop, &main);
            TipsDialog tips(main.settings(), desktop, &main);
            SearchSettingsDialog search(main.settings(), desktop, &main);
            IconViewer viewer(desktop, &main);
            std::vector<std::pair<const char*, QWidget*>> windows = {
                {"main", &main},
                {"import options", &importOptions},
                {"export options", &exportOptions},
                {"report", &report},
                {"about", &about},
                {"tips", &tips},
                {"search", &search},
                {"viewer", &viewer}};
            report.report().setFolder("/home/someone/icons/");
            report.report().add("32-setup.exe-001.ico");
            // Every kind of line the report holds, in the language shown.
            report.report().addSkippedRow("setup.exe-002", failure(Fault::NotChosen),
                                          SaveRule::ProgramIconFile);
            report.report().addUnreadableRow("setup.exe-003",
                                             systemFailure(Fault::CannotOpen, EACCES));
            report.report().addReduction(
                {"setup.exe-001", SaveRule::ProgramIconFile, {128}, 32, true});
            // Rows of an icon and of a cursor, with their resources, in the detail view.
            std::vector<PreparedRow> rows = {
                {QImage(), "/home/someone/setup.exe", 0, "32512", ResourceKind::Cursor},
                {QImage(), "/home/someone/setup.exe", 65535, "32516"}};
            test::resultListOf(main)->addRows(rows);
            // A viewer on an icon one of whose images cannot be drawn, showing it.
            viewer.setViewedFile(dir.root() / "damaged.ico");
            ASSERT_TRUE(viewer.loadViewedFile());
            viewer.imageChoice->setCurrentIndex(1);
            viewer.showChosenImage();
            for (auto [name, window] : windows)
                EXPECT_EQ(clippedTexts(*window), "")
                    << name << (german ? " in German" : " in English") << " at " << points << " pt";
        }
    }
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    QApplication::setFont(before);
}
