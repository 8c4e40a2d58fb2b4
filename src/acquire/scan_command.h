// The Scan a Folder command, from the folder dialog to the last status text.
#pragma once

#include <functional>
#include <optional>

#include "acquire/folder_scan.h"
#include "acquire/icon_extractor.h"

namespace pellimar {

class Desktop;
class ResultListAccess;
struct AppSettings;

// Asks for a folder, then for the import options (`confirmImportOptions` is true
// when that dialog closed with OK), shows "Searching ...", gathers the files, reads
// their icons with `loadIcon` into `list` and shows "Idle ..." and the row count.
// Returns what the scan did; nothing when a dialog was cancelled.
std::optional<ScanOutcome> runScanCommand(Desktop& desktop, const AppSettings& settings,
                                          ResultListAccess& list,
                                          const std::function<bool()>& confirmImportOptions,
                                          const IconLoader& loadIcon = loadFileIcon);

}  // namespace pellimar
