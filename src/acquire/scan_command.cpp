#include "acquire/scan_command.h"

#include "acquire/background_rows.h"
#include "core/desktop.h"
#include "core/folder_walk.h"
#include "core/result_list_access.h"
#include "core/settings.h"

namespace pellimar {

std::optional<ScanOutcome> runScanCommand(Desktop& desktop, const AppSettings& settings,
                                          ResultListAccess& list,
                                          const std::function<bool()>& confirmImportOptions,
                                          const IconLoader& loadIcon,
                                          const IconCounter& countIcons) {
    const std::optional<std::filesystem::path> folder = desktop.chooseFolder("Import a directory");
    if (!folder) return std::nullopt;
    if (!confirmImportOptions()) return std::nullopt;
    return scanFolderInBackground(*folder, settings, list, loadIcon, countIcons);
}

ScanOutcome scanFolderInBackground(const std::filesystem::path& folder, const AppSettings& settings,
                                   ResultListAccess& list, const IconLoader& loadIcon,
                                   const IconCounter& countIcons) {
    list.showStatus(1, "Searching ...");

    // The work keeps its own copy of the settings: the window's may change while
    // it runs.
    const AppSettings options = settings;
    ScanOutcome outcome;
    runWithRowFeed(list, [&](RowFeed& feed) {
        WalkHooks hooks;
        hooks.stop = feed.stopFlag();
        hooks.progress = [&](std::size_t seen) { feed.setFilesLookedAt(seen); };
        // The whole file list first; no icon is read before it is complete.
        const auto files =
            gatherScanFiles(folder, fileKindsOf(options), options.searchchildfolder, hooks);
        if (feed.stopRequested()) {
            outcome.interrupted = true;
            return;
        }
        feed.setFilesToRead(files.size());
        ScanCallbacks callbacks{
            loadIcon,
            [&](const std::filesystem::path& file, int n, const Icon& icon) {
                feed.addRow(file, n, icon);
            },
            [&] { feed.clearList(); },
            countIcons,
            feed.stopFlag(),
            [&](std::size_t filesRead) { feed.setFilesRead(filesRead); },
        };
        outcome = runFolderScan(files, options, callbacks);
    });

    list.showStatus(1, "Idle ...");
    list.showStatus(3, "Icons: " + std::to_string(list.rowCount()));
    return outcome;
}

}  // namespace pellimar
