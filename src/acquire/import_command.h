// Import from a File: every icon of one chosen file into the result list; an icon
// file opens the icon viewer instead.
#pragma once

#include <filesystem>

#include "acquire/icon_extractor.h"

class QWidget;

namespace pellimar {

class Desktop;
class ResultListAccess;
struct AppSettings;

// Clears the list first when `clearResult` is on, then asks for a file. A file
// whose name ends in ".ico" is shown in the icon viewer owned by `viewerParent`;
// any other file is read by importIconsOf(). The row count ("Icons:" + count)
// goes to status panel 3, also when the dialog was cancelled.
void importFromFile(Desktop& desktop, const AppSettings& settings, ResultListAccess& list,
                    QWidget* viewerParent, const IconLoader& loadIcon = loadFileIcon,
                    const IconCounter& countIcons = countFileIcons);

// One row per icon of `file` that `loadIcon` reads, between "Searching ..." and
// "Idle ...", read on a thread of its own (the list's Stop ends it early). When
// the file's icon count is known, every icon up to it is tried and one that
// cannot be read is left out; otherwise icons are read from index 0 until the
// first that is empty.
void importIconsOf(const std::filesystem::path& file, ResultListAccess& list,
                   const IconLoader& loadIcon = loadFileIcon,
                   const IconCounter& countIcons = countFileIcons);

}  // namespace pellimar
