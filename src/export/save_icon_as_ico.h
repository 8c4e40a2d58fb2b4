// Saving one icon of a program or library as .ico files of 16 or 256 colours.
#pragma once

#include <filesystem>
#include <functional>

#include "core/settings.h"
#include "export/save_report.h"
#include "platform/failure.h"
#include "platform/icon.h"
#include "platform/icon_set.h"

namespace pellimar {

// Whether a file may be written (it decides about files that exist and tells the
// report of those it keeps). Unset: every file may.
using MayWrite = std::function<bool(const std::filesystem::path& file)>;

// Writes `icon` alone, reduced to 16 or 256 colours, as an icon file at `file`;
// why not when it cannot be encoded or the file cannot be written.
Result<Done> writeSingleIconFile(const std::filesystem::path& file, const Icon& icon);

// The large and small icon of one position saved under `dest` as the size
// switches say: both on, "32-" and "16-" files beside `dest`; one on, `dest`
// itself. A file name goes into the report only once the file is written; one
// that cannot be written goes in as a failure; one `mayWrite` refuses is left alone.
void saveIconsAsIco(const Icon& large, const Icon& small, const std::filesystem::path& dest,
                    bool size32, bool size16, SaveReport& report, const MayWrite& mayWrite = {});

// The icon group of a program's row saved as .ico under `dest`: its 32 and 16
// pixel icons, each from the image of the group that suits the size, as
// saveIconsAsIco does. `row` names the row in the report's messages.
void saveIconAsIco(const IconGroup& group, const std::filesystem::path& dest,
                   const AppSettings& settings, SaveReport& report, const std::string& row,
                   const MayWrite& mayWrite = {});

}  // namespace pellimar
