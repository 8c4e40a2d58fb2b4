// Import from a File: every icon of one chosen file into the result list; an icon
// file opens the icon viewer instead.
#pragma once

#include "acquire/icon_extractor.h"

class QWidget;

namespace pellimar {

class Desktop;
class ResultListAccess;
struct AppSettings;

// Clears the list first when `clearResult` is on, then asks for a file. A file
// whose name ends in ".ico" is shown in the icon viewer owned by `viewerParent`;
// any other file gives one row per icon that `loadIcon` reads, from index 0 until
// the first that is empty, between "Searching ..." and "Idle ...", and the row
// count ("Icons:" + count) in status panel 3, also when the dialog was cancelled.
void importFromFile(Desktop& desktop, const AppSettings& settings, ResultListAccess& list,
                    QWidget* viewerParent, const IconLoader& loadIcon = loadFileIcon);

}  // namespace pellimar
