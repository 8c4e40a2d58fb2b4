// The preview of a result row: the row's icon written to a temporary icon file
// and shown in the icon viewer.
#pragma once

#include <filesystem>

class QWidget;

namespace pellimar {

class Desktop;
class ResultListAccess;
class SaveReport;
struct AppSettings;

// The name of the preview's temporary icon file in the program's private folder.
inline constexpr const char* kPreviewFileName = "temp2005_1.ico";

// Puts "Selected: N" in status panel 5; then, for the first selected row, writes
// its icon as a 32 x 32 icon file by the icon writer (the export sizes in
// `settings` are not touched) to the preview file, shows it in the viewer owned by
// `parent` and deletes it afterwards. With no row selected nothing else happens;
// when the file could not be written, "temp file lost" is shown. `report`, the
// last save's report, is left as it is: the preview file was never saved.
void previewRow(Desktop& desktop, const AppSettings& settings, ResultListAccess& list,
                SaveReport* report, QWidget* parent);

// Shows the viewer on `tempFile`, with `sourcePath` in its status bar, and deletes
// the file afterwards however the viewer ends.
void showIconViewerOnTempFile(Desktop& desktop, QWidget* parent,
                              const std::filesystem::path& tempFile,
                              const std::filesystem::path& sourcePath);

}  // namespace pellimar
