// Saving one icon of a source file as .ico files.
#pragma once

#include <filesystem>

#include "core/settings.h"
#include "export/icon_services.h"
#include "export/save_report.h"
#include "platform/icon.h"

namespace pellimar {

// Writes `icon` alone as an icon file at `file`. Nothing is written (and false
// comes back) when the icon cannot be encoded or the file cannot be written.
bool writeSingleIconFile(const std::filesystem::path& file, const Icon& icon);

// The large and small icon of one position saved under `dest` as the size
// switches say: both on, "32-" and "16-" files beside `dest`; one on, `dest`
// itself. A file name goes into the report only once the file is written.
void saveIconsAsIco(const Icon& large, const Icon& small, const std::filesystem::path& dest,
                    bool size32, bool size16, SaveReport& report);

// Icon `iconIndex` (0-based) of `source` saved as .ico under `dest`: for an .ico
// source a byte copy of that image (no report entry), for other sources the
// large (32) and small (16) icons as saveIconsAsIco does.
void saveIconAsIco(const std::filesystem::path& source, const std::filesystem::path& dest,
                   int iconIndex, const AppSettings& settings, SaveReport& report,
                   const IconServices& icons);

}  // namespace pellimar
