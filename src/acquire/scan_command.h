// The Scan a Folder command, from the folder dialog to the last status text.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

#include "acquire/folder_scan.h"
#include "acquire/icon_extractor.h"

namespace pellimar {

class Desktop;
class ResultListAccess;
struct AppSettings;

// Asks for a folder, then for the import options (`confirmImportOptions` is true
// when that dialog closed with OK), then scans it (scanFolderInBackground).
// Returns what the scan did; nothing when a dialog was cancelled.
std::optional<ScanOutcome> runScanCommand(Desktop& desktop, const AppSettings& settings,
                                          ResultListAccess& list,
                                          const std::function<bool()>& confirmImportOptions,
                                          const IconLoader& loadIcon = loadFileIcon,
                                          const IconCounter& countIcons = countFileIcons);

// Shows "Searching ...", gathers the files of `folder` and reads their icons with
// `loadIcon` into `list` on a thread of its own, the rows reaching the list as
// they are found, then shows "Idle ..." and the row count. The list's Stop ends
// the scan early; the rows found so far stay.
ScanOutcome scanFolderInBackground(const std::filesystem::path& folder, const AppSettings& settings,
                                   ResultListAccess& list,
                                   const IconLoader& loadIcon = loadFileIcon,
                                   const IconCounter& countIcons = countFileIcons);

}  // namespace pellimar
