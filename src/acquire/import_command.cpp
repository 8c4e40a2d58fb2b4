#include "acquire/import_command.h"

#include <optional>
#include <string>

#include "acquire/background_rows.h"
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

void importIconsOf(const fs::path& file, ResultListAccess& list, const IconLoader& loadIcon,
                   const IconCounter& countIcons) {
    list.showStatus(1, "Searching ...");
    runWithRowFeed(list, [&](RowFeed& feed) {
        const std::optional<int> count = countIcons ? countIcons(file) : std::nullopt;
        feed.setFilesToRead(1);
        for (int n = 0; (!count || n < *count) && !feed.stopRequested(); ++n) {
            const Icon icon = loadIcon(file, n);
            if (icon.empty()) {
                if (count) continue;  // a damaged icon hides none of the others
                break;
            }
            feed.addRow(file, n, icon);
        }
        feed.setFilesRead(1);
    });
    list.showStatus(1, "Idle ...");
}

void importFromFile(Desktop& desktop, const AppSettings& settings, ResultListAccess& list,
                    QWidget* viewerParent, const IconLoader& loadIcon,
                    const IconCounter& countIcons) {
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
        importIconsOf(path, list, loadIcon, countIcons);
    } else {
        list.processPendingEvents();
        list.showStatus(1, "Idle ...");
    }
    list.showStatus(3, "Icons:" + std::to_string(list.rowCount()));
}

}  // namespace pellimar
