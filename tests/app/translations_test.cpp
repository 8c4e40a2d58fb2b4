// The program in German: its own texts and Qt's, loaded by the user's language;
// in English nothing changes.
#include "app/translations.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTranslator>

#include "app/main_window.h"
#include "app/window_controls.h"
#include "core/qt_desktop.h"
#include "core/reasons.h"
#include "export/report_dialog.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"

using namespace pellimar;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;
using namespace pellimar::test;

namespace {

void removeTranslations() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

// The access keys of a menu's items, lower case; a key used twice counts once.
QList<QChar> accessKeys(const QWidget& menu) {
    QList<QChar> keys;
    for (QAction* a : menu.actions()) {
        const QString text = a->text();
        const qsizetype at = text.indexOf('&');
        if (at >= 0 && at + 1 < text.size()) keys << text[at + 1].toLower();
    }
    return keys;
}

// Within each menu, and along the menu bar, the access keys stay distinct.
void expectDistinctAccessKeys(MainWindow& form) {
    for (QMenu* menu :
         {control<QMenu>(form, "fileMenu"), control<QMenu>(form, "viewMenu"),
          control<QMenu>(form, "optionsMenu"), control<QMenu>(form, "helpMenu"),
          control<QMenu>(form, "listContextMenu"), control<QMenu>(form, "viewStyleMenu")}) {
        const QList<QChar> keys = accessKeys(*menu);
        EXPECT_EQ(QSet<QChar>(keys.begin(), keys.end()).size(), keys.size())
            << menu->objectName().toStdString();
    }
    const QList<QChar> bar = accessKeys(*form.menuBar());
    EXPECT_EQ(QSet<QChar>(bar.begin(), bar.end()).size(), bar.size());
}

}  // namespace

TEST(Translations, GermanForTheProgramAndForQtItself) {
    TempProgramDir dir("german");
    ASSERT_TRUE(loadTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)));
    {
        ScriptedDesktop desktop;
        MainWindow form(desktop);
        EXPECT_EQ(control<QMenu>(form, "fileMenu")->title(), " &Datei  ");
        EXPECT_EQ(control<QAction>(form, "saveAllItem")->text(), "&Alle speichern");
        EXPECT_EQ(form.statusText(1), "Bereit ...");
        for (int n = 0; n < 12; ++n) addRow(form, Icon{}, "/t/a.dll", n);
        form.deleteSelected();  // nothing selected: the count is told again
        EXPECT_EQ(form.statusText(3), "Symbole: 12");
        expectDistinctAccessKeys(form);
    }
    // The texts the commands hand to the message boxes; details on the lines after
    // a text (a file, the reason) stay as they are under its translation.
    EXPECT_EQ(fromProgram("Choose at least one kind of file to search.\r\nx.dll"),
              "Wählen Sie mindestens eine Art von Dateien für die Suche.\nx.dll");
    // Texts with details in them are translated whole, the details put in.
    EXPECT_EQ(MainWindow::tr("Cannot show %1: %2.").arg("x.dll, icon 2", "no icon 2"),
              "x.dll, icon 2 kann nicht gezeigt werden: no icon 2.");
    EXPECT_EQ(fromProgram("not a text of ours\nat all"), "not a text of ours\nat all");
    // Qt's own words, as in the buttons of its dialogs.
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "Abbrechen");
    removeTranslations();
}

// Under German the window's reasons, the file dialogs' types and the report are
// German, and the report says truly why nothing was saved.
TEST(Translations, ReasonsFileTypesAndTheReportInGerman) {
    TempProgramDir dir("german-reasons");
    ASSERT_TRUE(loadTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_EQ(reasonText(failure(Fault::NotRegularFile)), "keine gewöhnliche Datei");
    EXPECT_EQ(reasonText(failure(Fault::DamagedImage, {}, 0x2C2E)),
              "beschädigte Bilddaten bei Byte 0x2C2E");
    EXPECT_EQ(reasonText(capReached(Cap::ResourceBytes, "64 MB of one resource")),
              "an einer Grenze angehalten: 64 MB eines Bildes oder einer Ressource");
    EXPECT_EQ(folderSkipText({"/x/z:", FolderSkip::Link, 0}),
              "eine Verknüpfung auf einen Ordner: ihr wird nicht gefolgt");
    EXPECT_EQ(qtNameFilters("exe file(*.exe)|*.EXE|all supported file|*.ico;*.exe"),
              (QStringList{"exe-Datei (*.EXE)", "alle lesbaren Dateien (*.ico *.exe)"}));
    EXPECT_EQ(qtNameFilters("ico file(s)   (*.ico)|*.ico"), QStringList{"ico-Datei(en)   (*.ico)"});
    {
        ScriptedDesktop desktop;
        ReportDialog report(desktop);
        report.report().setFolder("/out/");
        report.report().addSkippedRow("app.exe-001", failure(Fault::NotChosen),
                                      SaveRule::ProgramIconFile);
        report.showLastRun();
        EXPECT_EQ(report.summaryLabel->text(), "Keine Datei gespeichert: alle Zeilen ausgelassen.");
        EXPECT_EQ(report.fileListHeading->text(), "Gespeicherte &Dateien");
        ASSERT_EQ(report.notSavedList->count(), 1);
        EXPECT_EQ(report.notSavedList->item(0)->text(),
                  "app.exe-001: Symboldateien von Programmen werden mit 32 und 16 Pixeln "
                  "gespeichert, und keine der beiden Größen ist gewählt");
    }
    removeTranslations();
}

TEST(Translations, EnglishStaysAsItIs) {
    TempProgramDir dir("english");
    EXPECT_FALSE(loadTranslations(*qApp, QLocale(QLocale::English, QLocale::UnitedStates)));
    ScriptedDesktop desktop;
    MainWindow form(desktop);
    EXPECT_EQ(control<QMenu>(form, "fileMenu")->title(), " &File  ");
    EXPECT_EQ(control<QAction>(form, "importFileItem")->text(), "&Import from a File   ");
    for (int n = 0; n < 12; ++n) addRow(form, Icon{}, "/t/a.dll", n);
    form.deleteSelected();  // nothing selected: the count is told again
    EXPECT_EQ(form.statusText(3), "Icons: 12");
    EXPECT_EQ(form.statusText(1), "Idle ...");
    expectDistinctAccessKeys(form);
    removeTranslations();
}

TEST(Translations, TheGermanTranslationIsComplete) {
    QFile ts(PELLIMAR_SOURCE_DIR "/translations/pellimar_de.ts");
    ASSERT_TRUE(ts.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(ts.readAll());
    EXPECT_GT(text.count("<message>"), 100);
    EXPECT_EQ(text.count("type=\"unfinished\""), 0);
    EXPECT_EQ(text.count("<translation></translation>"), 0);
    EXPECT_EQ(text.count("<message>"), text.count("<translation>"));
}
