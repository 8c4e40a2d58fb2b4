#include "acquire/import_command.h"

#include <optional>
#include <string>

#include "core/desktop.h"
#include "core/file_names.h"
#include "core/result_list_access.h"
#include "core/settings.h"
#include "viewer/icon_viewer.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// The open dialog's filter; the desktop matches the extensions in any letter case.
constexpr const char* kImportFilter =
    "exe file(*.exe)|*.EXE|ico file(*.ico)|*.ICO|dll file(*.dll)|*.DLL|all supported "
    "file|*.ico;*.dll;*.exe;*.icl";

}  // namespace

void importFromFile(Desktop& desktop, const AppSettings& settings, ResultListAccess& list,
                    QWidget* viewerParent, const IconLoader& loadIcon) {
    if (settings.clearResult) list.clearAll();

    FileDialogRequest request;
    request.filter = kImportFilter;
    request.defaultExt = "exe,dll";
    const std::optional<fs::path> chosen = desktop.openFile(request);
    if (chosen && chosen->empty()) return;

    if (chosen) {
        const fs::path& path = *chosen;
        if (upperCaseExtension(path) == ".ICO") {
            showIconViewer(desktop, viewerParent, path, path);
            return;
        }
        list.showStatus(1, "Searching ...");
        list.processPendingEvents();
        for (int n = 0;; ++n) {
            const Icon icon = loadIcon(path, n);
            if (icon.empty()) break;
            list.addRow(icon, path, n);
        }
    }
    list.processPendingEvents();
    list.showStatus(1, "Idle ...");
    list.showStatus(3, "Icons:" + std::to_string(list.rowCount()));
}

}  // namespace pellimar
