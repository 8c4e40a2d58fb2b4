// Shows the main window after a real folder scan, for the README's screenshots.
// Usage: shot PROGRAM_DIR FOLDER STYLE   (STYLE: detail, thumb, list, tips, about, menu)
// With PELLIMAR_SHOT_DARK=1 the windows take the Fusion style with a dark palette.
// The windows are made as the program makes them; the scan runs through the Scan a
// Folder command, with the folder dialog answered by FOLDER and the Import options
// dialog confirmed with .exe and .dll files and no limit.
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QPalette>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>

#include "acquire/import_options_dialog.h"
#include "app/main_window.h"
#include "core/paths.h"
#include "core/qt_desktop.h"
#include "core/settings.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"

using namespace pellimar;

namespace {

// A dark palette for the Fusion style, as dark desktop themes set it.
void applyDarkPalette() {
    QApplication::setStyle("Fusion");
    QPalette p;
    const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Light, QColor(80, 80, 80));
    p.setColor(QPalette::Midlight, QColor(66, 66, 66));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Dark, QColor(30, 30, 30));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(110, 175, 255));
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    QApplication::setPalette(p);
}

class ShotDesktop : public QtDesktop {
  public:
    std::filesystem::path folder;

    std::optional<std::filesystem::path> chooseFolder(const std::string&) override {
        return folder;
    }
    int runModal(QDialog& dialog) override {
        if (auto* options = qobject_cast<ImportOptionsDialog*>(&dialog)) {
            options->show();
            options->exeBox->setChecked(true);
            options->dllBox->setChecked(true);
            options->icoBox->setChecked(true);
            options->iclBox->setChecked(false);
            options->noLimitButton->click();
            options->confirm();
            options->hide();
            return options->result();
        }
        return QtDesktop::runModal(dialog);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    ShotDesktop desktop;
    PellimarApplication app(argc, argv, desktop);
    QApplication::setApplicationName("Pellimar");
    if (qEnvironmentVariableIntValue("PELLIMAR_SHOT_DARK")) applyDarkPalette();
    setProgramDir(argv[1]);
    desktop.folder = argv[2];
    const QString mode = argv[3];

    MainWindow window(desktop);
    desktop.setOwner(&window);
    ImportOptionsDialog importOptions(window.settings(), desktop, &window);
    ReportDialog report(desktop, &window);
    ExportOptionsDialog exportOptions(window.settings(), desktop, &window);
    AboutDialog about(desktop, &window);
    TipsDialog tips(window.settings(), desktop, &window);
    window.setImportOptionsDialog(&importOptions);
    window.setAboutDialog(&about);
    window.setTipsDialog(&tips);
    window.setReportDialog(&report);
    window.setExportOptionsDialog(&exportOptions);

    window.resize(1000, 600);
    window.move(20, 20);
    window.show();
    // Once the scan has read the folder, the rows are selected and the view set.
    QObject::connect(&window, &MainWindow::backgroundWorkEnded, &window, [&] {
        auto* list = window.findChild<ResultList*>("resultList");
        for (int r : {1, 2, 5}) list->setRowSelected(r, true);
        if (mode == "thumb") window.showThumbnailView();
        if (mode == "list") window.showListView();
        if (mode == "detail") window.showDetailView();
        if (mode == "tips") tips.show();
        if (mode == "about") about.show();
        if (mode == "menu") {
            window.enableFileMenuCommands();
            window.findChild<QMenu*>("fileMenu")->popup(window.mapToGlobal(QPoint(4, 24)));
        }
    });
    QTimer::singleShot(300, [&] { window.scanFolder(); });
    return app.exec();
}
