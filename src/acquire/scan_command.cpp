#include "acquire/scan_command.h"

#include "acquire/folder_walk.h"
#include "core/desktop.h"
#include "core/result_list_access.h"
#include "core/settings.h"

namespace pellimar {

std::optional<ScanOutcome> runScanCommand(Desktop& desktop, const AppSettings& settings,
                                          ResultListAccess& list,
                                          const std::function<bool()>& confirmImportOptions,
                                          const IconLoader& loadIcon) {
    const std::optional<std::filesystem::path> folder = desktop.chooseFolder("Import a directory");
    if (!folder) return std::nullopt;
    if (!confirmImportOptions()) return std::nullopt;

    list.showStatus(1, "Searching ...");
    // Once, so that "Searching ..." is painted; nothing more until the scan ends.
    list.processPendingEvents();

    // The whole file list first; no icon is read before it is complete.
    const auto files = gatherScanFiles(*folder, fileKindsOf(settings), settings.searchchildfolder);
    const ScanCallbacks callbacks{
        loadIcon,
        [&](const std::filesystem::path& file, int n, const Icon& icon) {
            list.addRow(icon, file, n);
        },
        [&] { list.clearAll(); },
    };
    const ScanOutcome outcome = runFolderScan(files, settings, callbacks);

    list.showStatus(1, "Idle ...");
    list.showStatus(3, "Icons: " + std::to_string(list.rowCount()));
    return outcome;
}

}  // namespace pellimar
