#include "acquire/scan_command.h"

#include "acquire/folder_walk.h"
#include "app/desktop.h"
#include "app/settings.h"

namespace pellimar {

std::optional<ScanOutcome> runScanCommand(Desktop& desktop, const AppSettings& settings,
                                          const ScanCommandHost& host) {
    const std::optional<std::filesystem::path> folder = desktop.chooseFolder("Import a directory");
    if (!folder) return std::nullopt;
    if (!host.confirmImportOptions()) return std::nullopt;

    host.setStatus(1, "Searching ...");
    host.paintPending();

    // The whole file list first; no icon is read before it is complete.
    const auto files = gatherScanFiles(*folder, fileKindsOf(settings), settings.searchchildfolder);
    const ScanOutcome outcome = runFolderScan(files, settings, host.list);

    host.setStatus(1, "Idle ...");
    host.setStatus(3, "Icons: " + std::to_string(host.rowCount()));
    return outcome;
}

}  // namespace pellimar
