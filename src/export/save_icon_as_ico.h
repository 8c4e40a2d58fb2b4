// Saving one icon of a program or library as .ico files of 16 or 256 colours.
#pragma once

#include <filesystem>
#include <functional>

#include "core/settings.h"
#include "export/save_report.h"
#include "platform/atomic_file.h"
#include "platform/failure.h"
#include "platform/icon.h"
#include "platform/icon_set.h"

namespace pellimar {

// How a file is written: whether a file at its name may be replaced. Unset: every
// file is written with the default options (replacing).
using WriteOptionsFor = std::function<WriteOptions(const std::filesystem::path& file)>;

// Writes `icon` alone, reduced to 16 or 256 colours, as an icon file at `file`;
// why not when it cannot be encoded or the file cannot be written.
Result<Placed> writeSingleIconFile(const std::filesystem::path& file, const Icon& icon,
                                   const WriteOptions& options = {});

// The large and small icon of one position saved under `dest` as the size
// switches say: both on, "32-" and "16-" files beside `dest`; one on, `dest`
// itself. A file name goes into the report once the file is written (or waits in
// a batch); one that cannot be written goes in as a failure; one whose name was
// taken where `optionsFor` says never to replace goes in as kept.
void saveIconsAsIco(const Icon& large, const Icon& small, const std::filesystem::path& dest,
                    bool size32, bool size16, SaveReport& report,
                    const WriteOptionsFor& optionsFor = {});

// The icon group of a program's row saved as .ico under `dest`: its 32 and 16
// pixel icons, each from the image of the group that suits the size, as
// saveIconsAsIco does. `row` names the row in the report's messages.
void saveIconAsIco(const IconGroup& group, const std::filesystem::path& dest,
                   const AppSettings& settings, SaveReport& report, const std::string& row,
                   const WriteOptionsFor& optionsFor = {});

}  // namespace pellimar
