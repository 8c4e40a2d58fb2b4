// Every window as a screen reader sees it: each control that takes input or shows
// results must carry a name, found through Qt's accessibility interface.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QTableView>
#include <QToolBar>
#include <QTranslator>
#include <QWidget>
#include <memory>

#include "acquire/import_options_dialog.h"
#include "acquire/search_settings_dialog.h"
#include "app/main_window.h"
#include "app/result_list.h"
#include "app/translations.h"
#include "app/window_controls.h"
#include "core/paths.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "support/temp_program_dir.h"
#include "viewer/icon_viewer.h"

namespace fs = std::filesystem;
using namespace pellimar;
using namespace pellimar::fixtures;
using pellimar::test::ScriptedDesktop;
using pellimar::test::TempProgramDir;
using namespace pellimar::test;

namespace {

bool interactive(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::List:
        case QAccessible::Table:
        case QAccessible::Tree:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
        case QAccessible::Link:
        case QAccessible::StatusBar:
            return true;
        default:
            return false;
    }
}

// The visible controls of the window without a name, each as "role objectName".
void collectNameless(QAccessibleInterface* node, QStringList& out, int depth = 0) {
    if (!node || depth > 40) return;
    const QAccessible::State state = node->state();
    if (state.invisible) return;
    if (interactive(node->role()) && node->text(QAccessible::Name).trimmed().isEmpty()) {
        QObject* o = node->object();
        out << QString("%1 %2 (%3)")
                   .arg(int(node->role()))
                   .arg(o ? o->objectName() : QString("?"))
                   .arg(o ? o->metaObject()->className() : "?");
    }
    // Rows and cells of item views are their own business: their text is the name.
    if (node->role() == QAccessible::List || node->role() == QAccessible::Table) return;
    for (int i = 0; i < node->childCount(); ++i) collectNameless(node->child(i), out, depth + 1);
}

// Empty when every control has a name; otherwise the nameless ones, one a line.
std::string namelessControls(QWidget& window) {
    window.show();
    QApplication::processEvents();
    QStringList out;
    collectNameless(QAccessible::queryAccessibleInterface(&window), out);
    window.hide();
    return out.join('\n').toStdString();
}

class AccessibilityTest : public ::testing::Test {
  protected:
    AccessibilityTest() : program_("access") {}
    TempProgramDir program_;
    ScriptedDesktop desktop_;
};

}  // namespace

TEST_F(AccessibilityTest, EveryControlOfEveryWindowHasAName) {
    MainWindow main(desktop_);
    ImportOptionsDialog importOptions(main.settings(), desktop_, &main);
    ExportOptionsDialog exportOptions(main.settings(), desktop_, &main);
    ReportDialog report(desktop_, &main);
    AboutDialog about(desktop_, &main);
    TipsDialog tips(main.settings(), desktop_, &main);
    SearchSettingsDialog search(main.settings(), desktop_, &main);
    std::vector<std::pair<const char*, QWidget*>> windows = {{"main", &main},
                                                             {"import options", &importOptions},
                                                             {"export options", &exportOptions},
                                                             {"report", &report},
                                                             {"about", &about},
                                                             {"tips", &tips},
                                                             {"search", &search}};
    for (auto [name, window] : windows) EXPECT_EQ(namelessControls(*window), "") << name;

    // The list views of the main window, in each of the three styles.
    for (auto style : {ResultList::ViewStyle::Thumbnail, ResultList::ViewStyle::List}) {
        resultListOf(main)->setViewStyle(style);
        EXPECT_EQ(namelessControls(main), "") << int(style);
    }
}

TEST_F(AccessibilityTest, TheViewerNamesItsControlsWhileShowingAFile) {
    TempDir files;
    const fs::path ico = files.write("two.ico", makeIco({dibImage(patternIcon(16, 16, 16), 4),
                                                         dibImage(patternIcon(32, 32, 200), 8)}));
    fs::path privateDir = files.path() / "private";
    fs::create_directory(privateDir);
    fs::permissions(privateDir, fs::perms::owner_all);
    setPrivateTempDir(privateDir);
    {
        IconViewer viewer(desktop_);
        viewer.setViewedFile(ico);
        viewer.show();
        QApplication::processEvents();
        EXPECT_EQ(namelessControls(viewer), "");
        // The image list says what it lists; the preview tells what it shows.
        auto* list = QAccessible::queryAccessibleInterface(viewer.thumbnailList);
        ASSERT_NE(list, nullptr);
        EXPECT_FALSE(list->text(QAccessible::Name).isEmpty());
        EXPECT_FALSE(viewer.preview->accessibleName().isEmpty());
        viewer.reject();
    }
    setPrivateTempDir({});
}

namespace {

QString nameOf(QObject* object) {
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(object);
    return node ? node->text(QAccessible::Name) : QString("(no interface)");
}

// The names a screen reader reads of the children of `object`, in its order.
QStringList childNames(QObject* object) {
    QStringList names;
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(object);
    for (int i = 0; node && i < node->childCount(); ++i)
        names << (node->child(i) ? node->child(i)->text(QAccessible::Name) : QString("(none)"));
    return names;
}

void removeProgramTranslations() {
    for (QTranslator* t : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

struct Words {
    QLocale locale;
    QString table, toolBar, image;
    QStringList menus, fileItem, columns;
};

}  // namespace

// Under each language: the result views and the tool bar are named in its words,
// the menus without the spaces that pad their texts, the table's columns in the
// order they are shown, and the viewer's thumbnails and image list by what they show.
TEST_F(AccessibilityTest, AScreenReaderHearsTranslatedNamesInTheOrderShown) {
    TempDir files;
    const fs::path ico = files.write("two.ico", makeIco({dibImage(patternIcon(16, 16, 16), 4),
                                                         dibImage(patternIcon(32, 32, 200), 8)}));
    fs::path privateDir = files.path() / "private";
    fs::create_directory(privateDir);
    fs::permissions(privateDir, fs::perms::owner_all);
    setPrivateTempDir(privateDir);
    const std::vector<Words> languages = {{QLocale(QLocale::English, QLocale::UnitedStates),
                                           "Icons found",
                                           "Tool bar",
                                           "Image",
                                           {"File", "View", "Options", "Help"},
                                           {"Import from a File"},
                                           {"Icons", "Location", "Resource", "Path"}},
                                          {QLocale(QLocale::German, QLocale::Germany),
                                           "Gefundene Symbole",
                                           "Werkzeugleiste",
                                           "Bild",
                                           {"Datei", "Ansicht", "Optionen", "Hilfe"},
                                           {"Aus einer Datei importieren"},
                                           {"Symbole", "Position", "Ressource", "Pfad"}}};
    for (const Words& words : languages) {
        SCOPED_TRACE(words.locale.name().toStdString());
        const bool german = words.locale.language() == QLocale::German;
        ASSERT_EQ(loadTranslations(*qApp, words.locale), german);
        {
            MainWindow main(desktop_);
            main.show();
            QApplication::processEvents();
            ResultList* list = resultListOf(main);
            EXPECT_EQ(nameOf(list->detailView()), words.table);
            EXPECT_EQ(nameOf(list->iconView()), words.table);
            EXPECT_EQ(nameOf(main.findChild<QToolBar*>("toolBar")), words.toolBar);
            EXPECT_EQ(childNames(main.menuBar()), words.menus);
            EXPECT_EQ(childNames(control<QMenu>(main, "fileMenu")).mid(0, 1), words.fileItem);

            // The columns as the header shows them, left to right, and as a screen
            // reader reads them.
            list->setViewStyle(ResultList::ViewStyle::Detail);
            QApplication::processEvents();
            QHeaderView* header = list->detailView()->horizontalHeader();
            QStringList shown, read;
            for (int visual = 0; visual < header->count(); ++visual)
                shown << list->model()
                             ->headerData(header->logicalIndex(visual), Qt::Horizontal,
                                          Qt::DisplayRole)
                             .toString();
            QAccessibleInterface* table = QAccessible::queryAccessibleInterface(list->detailView());
            ASSERT_TRUE(table && table->tableInterface());
            for (int c = 0; c < table->tableInterface()->columnCount(); ++c)
                read << table->tableInterface()->columnDescription(c);
            EXPECT_EQ(shown, words.columns);
            EXPECT_EQ(read, words.columns);
            main.hide();
        }
        {
            IconViewer viewer(desktop_);
            viewer.setViewedFile(ico);
            viewer.show();
            QApplication::processEvents();
            const QStringList labels = {viewer.imageChoice->itemText(0),
                                        viewer.imageChoice->itemText(1)};
            EXPECT_EQ(labels[1].left(5), "32*32");
            EXPECT_EQ(childNames(viewer.thumbnailList).filter("*"), labels);
            QAccessibleInterface* choice =
                QAccessible::queryAccessibleInterface(viewer.imageChoice);
            ASSERT_NE(choice, nullptr);
            EXPECT_EQ(choice->role(), QAccessible::ComboBox);
            EXPECT_EQ(choice->text(QAccessible::Name), words.image);
            viewer.imageChoice->setCurrentIndex(1);
            EXPECT_EQ(choice->text(QAccessible::Value), labels[1]);
            // The bus carries a text, not a value, to screen readers.
            ASSERT_NE(choice->textInterface(), nullptr);
            EXPECT_EQ(choice->textInterface()->text(0, choice->textInterface()->characterCount()),
                      labels[1]);
            EXPECT_EQ(nameOf(viewer.findChild<QToolBar*>()), words.toolBar);
            viewer.reject();
        }
        removeProgramTranslations();
    }
    setPrivateTempDir({});
}
