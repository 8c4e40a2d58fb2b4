#include "viewer/row_preview.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "core/desktop.h"
#include "core/paths.h"
#include "core/result_list_access.h"
#include "core/settings.h"
#include "export/icon_services.h"
#include "export/save_icon_as_ico.h"
#include "export/save_report.h"
#include "viewer/icon_viewer.h"

namespace pellimar {
namespace fs = std::filesystem;

void previewRow(Desktop& desktop, const AppSettings& settings, ResultListAccess& list,
                [[maybe_unused]] SaveReport* report, QWidget* parent) {
    list.showStatus(5, "Selected: " + std::to_string(list.selectedCount()));
    const std::vector<ResultRowInfo> rows = list.rows();
    const auto row =
        std::find_if(rows.begin(), rows.end(), [](const ResultRowInfo& r) { return r.selected; });
    if (row == rows.end()) return;

    const fs::path temp = privateTempDir() / kPreviewFileName;
    std::error_code ec;
    // A file left from an earlier run must not pass for this row's icon.
    fs::remove(temp, ec);
    try {
        // The preview holds the 32 x 32 image only, whatever the export sizes say;
        // the settings themselves are not touched.
        AppSettings sizes = settings;
        sizes.size_32 = true;
        sizes.size_16 = false;
        // The temporary file is no part of the last save: the report is left alone.
        SaveReport scratch;
        saveIconAsIco(row->source, temp, row->iconPosition, sizes, scratch, defaultIconServices());
    } catch (...) {
        // A failed write shows as a missing file below.
    }
    if (!fs::exists(fs::symlink_status(temp, ec))) {
        desktop.message("temp file lost", "notice", Buttons::Ok);
        return;
    }
    try {
        showIconViewerOnTempFile(desktop, parent, temp, row->source);
    } catch (...) {
    }
}

void showIconViewerOnTempFile(Desktop& desktop, QWidget* parent, const fs::path& tempFile,
                              const fs::path& sourcePath) {
    struct RemoveAfter {
        const fs::path& file;
        ~RemoveAfter() {
            std::error_code ec;
            fs::remove(file, ec);
        }
    } removeAfter{tempFile};
    showIconViewer(desktop, parent, tempFile, sourcePath);
}

}  // namespace pellimar
