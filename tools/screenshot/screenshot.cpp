// Shows the main window after a real folder scan, for the README's screenshots.
// Usage: shot PROGRAM_DIR FOLDER STYLE   (STYLE: detail, thumb, list, tips, about, menu)
// The windows are made as the program makes them; the scan runs through the Scan a
// Folder command, with the folder dialog answered by FOLDER and the Import options
// dialog confirmed with .exe and .dll files and no limit.
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QRadioButton>
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
            options->icoBox->setChecked(false);
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
    QTimer::singleShot(300, [&] {
        window.scanFolder();
        for (int r : {1, 2, 5}) window.resultList->setRowSelected(r, true);
        if (mode == "thumb") window.showThumbnailView();
        if (mode == "list") window.showListView();
        if (mode == "detail") window.showDetailView();
        if (mode == "tips") tips.show();
        if (mode == "about") about.show();
        if (mode == "menu") {
            window.enableFileMenuCommands();
            window.fileMenu->popup(window.mapToGlobal(QPoint(4, 24)));
        }
    });
    return app.exec();
}
