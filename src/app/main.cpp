// Pellimar: finds the icons stored in Windows programs and icon files and saves them.
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "acquire/import_options_dialog.h"
#include "app/command_line.h"
#include "app/main_window.h"
#include "app/translations.h"
#include "core/paths.h"
#include "core/qt_desktop.h"
#include "core/resources.h"
#include "dialogs/about_dialog.h"
#include "dialogs/tips_dialog.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"

#ifndef PELLIMAR_VERSION
#define PELLIMAR_VERSION "unknown"
#endif

namespace {

// --help, --version and --paths need no window, nor a display: they are answered
// before Qt starts. Anything else waits until Qt has taken its own options.
int answerWithoutWindow(const pellimar::CommandLine& line) {
    using Action = pellimar::CommandLine::Action;
    switch (line.action) {
        case Action::Help:
            std::cout << pellimar::helpText();
            return 0;
        case Action::Version:
            std::cout << "pellimar " << PELLIMAR_VERSION << "\n";
            return 0;
        case Action::Paths: {
            bool allFound = false;
            std::cout << pellimar::ownFilesReport(allFound);
            return allFound ? 0 : 1;
        }
        case Action::Usage:
            std::cerr << "pellimar: unknown option " << line.unknownOption << "\n"
                      << pellimar::kUsageLine << "\n";
            return 2;
        case Action::Run:
            break;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    {
        const auto early = pellimar::parseCommandLine({argv + 1, argv + argc});
        // An option Qt knows is left to Qt; the rest is answered here, so that it
        // needs no display.
        if (early.action != pellimar::CommandLine::Action::Usage ||
            !pellimar::isQtOption(early.unknownOption)) {
            if (int status = answerWithoutWindow(early); status >= 0) return status;
        }
    }
    pellimar::QtDesktop desktop;
    pellimar::PellimarApplication app(argc, argv, desktop);
    // Qt has taken its own options (-style, -platform ...) out of argv by now.
    const auto line = pellimar::parseCommandLine({argv + 1, argv + argc});
    if (int status = answerWithoutWindow(line); status >= 0) return status;
    QGuiApplication::setDesktopFileName("org.example.Pellimar");
    pellimar::initResources();
    pellimar::loadTranslations(app, QLocale());
    // The title; window captions stay exactly as each window sets them.
    QApplication::setApplicationName("Pellimar");
    QApplication::setWindowIcon(QIcon(":/pellimar/pellimar.png"));

    // The main window first; the dialogs, which live as long as it does and work on
    // its settings, are made once it is on its way to the screen, so that it appears
    // as early as a plain window would.
    pellimar::MainWindow window(desktop);
    desktop.setOwner(&window);
    std::unique_ptr<pellimar::ImportOptionsDialog> importOptions;
    std::unique_ptr<pellimar::ReportDialog> report;
    std::unique_ptr<pellimar::ExportOptionsDialog> exportOptions;
    std::unique_ptr<pellimar::AboutDialog> about;
    std::unique_ptr<pellimar::TipsDialog> tips;
    window.showMaximized();
    // The window goes to the display now, not after the work below.
    QGuiApplication::sync();
    QTimer::singleShot(0, &window, [&] {
        pellimar::AppSettings& settings = window.settings();
        importOptions = std::make_unique<pellimar::ImportOptionsDialog>(settings, desktop, &window);
        report = std::make_unique<pellimar::ReportDialog>(desktop, &window);
        exportOptions = std::make_unique<pellimar::ExportOptionsDialog>(settings, desktop, &window);
        about = std::make_unique<pellimar::AboutDialog>(desktop, &window);
        tips = std::make_unique<pellimar::TipsDialog>(settings, desktop, &window);
        window.setImportOptionsDialog(importOptions.get());
        window.setAboutDialog(about.get());
        window.setTipsDialog(tips.get());
        window.setReportDialog(report.get());
        window.setExportOptionsDialog(exportOptions.get());
        // Temporary folders left by copies that ended without cleaning up.
        pellimar::removeStaleTempDirs();
        if (!line.paths.empty()) pellimar::guarded(desktop, [&] { window.openPaths(line.paths); });
    });
    const int status = app.exec();
    pellimar::removeOwnTempDir();
    return status;
}
