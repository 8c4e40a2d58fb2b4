// The main window's commands that open the icon viewer: importing from a file
// (an icon file goes to the viewer, any other file into the result list) and the
// preview of a row on double-click.
#include <QCoreApplication>
#include <algorithm>
#include <system_error>

#include "acquire/icon_extractor.h"
#include "app/main_form.h"
#include "app/paths.h"
#include "app/settings.h"
#include "export/icon_services.h"
#include "export/report_form.h"
#include "export/save_icon_as_ico.h"
#include "viewer/geticons_form.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

// The open dialog's filter; the desktop matches the extensions in any letter case.
constexpr const char* kImportFilter =
    "exe file(*.exe)|*.EXE|ico file(*.ico)|*.ICO|dll file(*.dll)|*.DLL|all supported "
    "file|*.ico;*.dll;*.exe;*.icl";

}  // namespace

void TForm1::ToolButton9Click() {
    if (settings().clearResult) ToolButton1Click();

    FileDialogRequest request;
    request.filter = kImportFilter;
    request.defaultExt = "exe,dll";
    const std::optional<fs::path> chosen = desktop().openFile(request);
    if (chosen && chosen->empty()) return;

    if (chosen) {
        const fs::path& path = *chosen;
        if (upperExtension(path) == ".ICO") {
            ShowIconViewer(desktop(), this, path, path);
            return;
        }
        setStatusText(1, "Searching ...");
        QCoreApplication::processEvents();
        for (int n = 0;; ++n) {
            const Icon icon = loadIcon(path, n);
            if (icon.empty()) break;
            addResultRow(icon, path, n);
        }
    }
    QCoreApplication::processEvents();
    setStatusText(1, "Idle ...");
    setStatusText(3, "Icons:" + QString::number(rowCount()));
}

void TForm1::ListV1DblClick() {
    setStatusText(5, "Selected: " + QString::number(selectedCount()));
    const std::vector<ResultRowInfo> rows = resultRows();
    const auto row =
        std::find_if(rows.begin(), rows.end(), [](const ResultRowInfo& r) { return r.selected; });
    if (row == rows.end()) return;

    const fs::path temp = privateTempDir() / "temp2005_1.ico";
    std::error_code ec;
    // A file left from an earlier run must not pass for this row's icon.
    fs::remove(temp, ec);
    try {
        // The preview holds the 32 x 32 image only, whatever the export sizes say;
        // the settings themselves are not touched.
        AppSettings sizes = settings();
        sizes.size_32 = true;
        sizes.size_16 = false;
        SaveReport scratch;
        SaveReport& report = reportForm() ? reportForm()->report() : scratch;
        SaveIconAsIco(row->source, temp, row->iconPosition, sizes, report, defaultIconServices());
    } catch (...) {
        // A failed write shows as a missing file below.
    }
    if (!fs::exists(fs::symlink_status(temp, ec))) {
        desktop().message("temp file lost", "notice", Buttons::Ok);
        return;
    }
    try {
        OpenIconViewer(temp, row->source);
    } catch (...) {
    }
}

void TForm1::OpenIconViewer(const fs::path& tempFile, const fs::path& sourcePath) {
    struct RemoveAfter {
        const fs::path& file;
        ~RemoveAfter() {
            std::error_code ec;
            fs::remove(file, ec);
        }
    } removeAfter{tempFile};
    ShowIconViewer(desktop(), this, tempFile, sourcePath);
}

}  // namespace pellimar
