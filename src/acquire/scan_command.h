// Scan a Folder: the questions it asks. The scan itself is a folderScanJob() the
// window starts.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>

namespace pellimar {

class Desktop;

// Asks for a folder ("Import a directory"), then for the import options
// (`confirmImportOptions` is true when that dialog closed with OK). The folder to
// scan; nothing when a dialog was cancelled.
std::optional<std::filesystem::path> askScanFolder(
    Desktop& desktop, const std::function<bool()>& confirmImportOptions);

}  // namespace pellimar
