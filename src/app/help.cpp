#include "app/help.h"

#include <QCoreApplication>
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
        if (!haveFile && !havePages)
            return "The help cannot be opened: neither the help file (" + file.string() +
                   ") nor its pages (" + pages.string() + ") are installed.";
        return "The help cannot be opened: this desktop has no viewer for the help file (" +
               file.string() + ") and no web browser for its pages (" + pages.string() + ").";
    } catch (const std::exception& e) {
        return QCoreApplication::translate("pellimar::MainWindow", "The help cannot be opened: %1.")
            .arg(e.what())
            .toStdString();
    }
}

}  // namespace pellimar
