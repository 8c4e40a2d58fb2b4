#include "acquire/scan_command.h"

#include "core/desktop.h"

namespace pellimar {

std::optional<std::filesystem::path> askScanFolder(
    Desktop& desktop, const std::function<bool()>& confirmImportOptions) {
    const std::optional<std::filesystem::path> folder = desktop.chooseFolder("Import a directory");
    if (!folder) return std::nullopt;
    if (!confirmImportOptions()) return std::nullopt;
    return folder;
}

}  // namespace pellimar
