// Pellimar: finds the icons stored in Windows programs and icon files and saves them.
#include <QIcon>

#include "acquire/import_options_dialog.h"
#include "app/main_window.h"
#include "core/paths.h"
#include "core/qt_desktop.h"
#include "core/resources.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"

int main(int argc, char** argv) {
    pellimar::QtDesktop desktop;
    pellimar::PellimarApplication app(argc, argv, desktop);
    pellimar::initResources();
    // The title; window captions stay exactly as each window sets them.
    QApplication::setApplicationName("Pellimar");
    QApplication::setWindowIcon(QIcon(":/pellimar/pellimar.png"));

    // The main window first, then the dialogs, which live as long as it does and
    // work on its settings.
    pellimar::MainWindow window(desktop);
    desktop.setOwner(&window);
    pellimar::AppSettings& settings = window.settings();
    pellimar::ImportOptionsDialog importOptions(settings, desktop, &window);
    pellimar::ReportDialog report(desktop, &window);
    pellimar::ExportOptionsDialog exportOptions(settings, desktop, &window);
    pellimar::AboutDialog about(desktop, &window);
    pellimar::TipsDialog tips(settings, desktop, &window);
    window.setImportOptionsDialog(&importOptions);
    window.setAboutDialog(&about);
    window.setTipsDialog(&tips);
    window.setReportDialog(&report);
    window.setExportOptionsDialog(&exportOptions);

    // Temporary folders left by copies that ended without cleaning up.
    pellimar::removeStaleTempDirs();
    window.showMaximized();
    const int status = app.exec();
    pellimar::removeOwnTempDir();
    return status;
}
