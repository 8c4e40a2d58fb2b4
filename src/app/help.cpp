#include "app/help.h"

#include <QCoreApplication>
#include <QFile>
#include <exception>
#include <filesystem>

#include "core/desktop.h"
#include "core/paths.h"

namespace pellimar {
namespace fs = std::filesystem;

std::optional<std::string> openHelp(Desktop& desktop) {
    try {
        const fs::path file = dataDir() / "help.chm";
        const fs::path pages = dataDir() / "help" / "index.html";
        std::error_code ec;
        const bool haveFile = fs::is_regular_file(file, ec);
        const bool havePages = fs::is_regular_file(pages, ec);
        if (haveFile && desktop.openDocument(file)) return std::nullopt;
        if (havePages && desktop.openDocument(pages)) return std::nullopt;
        const QString fileText = QFile::decodeName(file.c_str());
        const QString pagesText = QFile::decodeName(pages.c_str());
        if (!haveFile && !havePages)
            return QCoreApplication::translate("pellimar::MainWindow",
                                               "The help cannot be opened: neither the help file "
                                               "(%1) nor its pages (%2) are installed.")
                .arg(fileText, pagesText)
                .toStdString();
        return QCoreApplication::translate("pellimar::MainWindow",
                                           "The help cannot be opened: this desktop has no viewer "
                                           "for the help file (%1) and no web browser for its "
                                           "pages (%2).")
            .arg(fileText, pagesText)
            .toStdString();
    } catch (const std::exception& e) {
        return QCoreApplication::translate("pellimar::MainWindow", "The help cannot be opened: %1.")
            .arg(e.what())
            .toStdString();
    }
}

}  // namespace pellimar
