#include "export/save_command.h"

#include <algorithm>
#include <memory>

#include "core/file_names.h"
#include "core/row_icons.h"
#include "export/save_plan.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

int selectedCount(const std::vector<SaveRow>& rows) {
    return int(
        std::count_if(rows.begin(), rows.end(), [](const SaveRow& r) { return r.selected; }));
}

}  // namespace

SaveName::SaveName(const fs::path& chosen) {
    // The extension by the program's one rule: from the name's last dot.
    dir = chosen.parent_path();
    const std::string name = chosen.filename().string();
    const std::size_t dot = upperCaseExtension(chosen).empty() ? name.size() : name.rfind('.');
    ext = name.substr(dot);
    stem = name.substr(0, dot);
}

fs::path SaveName::target(const std::string& suffix) const {
    return dir / (stem + suffix + ext);
}

std::string saveNumberSuffix(int counter, int selected) {
    if (selected < 2) return {};
    return "-" + formatIconNumber(counter + 1);
}

FileDialogRequest saveDialogRequest(const std::string& format) {
    FileDialogRequest r;
    if (format == "ico") {
        r.filter = "ico file(s)   (*.ico)|*.ico";
        r.defaultExt = "ico";
    } else if (format == "bmp") {
        r.filter = "bmp file(s)  (*.bmp)|*.bmp";
        r.defaultExt = "bmp";
    } else if (format == "png") {
        r.filter = "png file(s)  (*.png)|*.png";
        r.defaultExt = "png";
    } else if (format == "original") {
        r.filter = "ico file(s)   (*.ico)|*.ico";
        r.defaultExt = "ico";
    } else {
        r.filter = "jpg file(s)  (*.jpg)|*.jpg";
        r.defaultExt = "jpg";
    }
    return r;
}

fs::path forceExtension(const fs::path& chosen, const std::string& defaultExt) {
    // From the last dot: a dot never lies inside a multi-byte character.
    std::string name = chosen.filename().string();
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos) name.resize(dot);
    return chosen.parent_path() / (name + "." + defaultExt);
}

RowGroupSource oneRunReader() {
    auto reader = std::make_shared<RowGroupReader>();
    return [reader](const fs::path& source, int position, ResourceKind kind) {
        return reader->read(source, position, kind);
    };
}

void saveSelectedRows(const std::vector<SaveRow>& rows, const fs::path& name, SaveContext& ctx) {
    if (!ctx.rowGroup) {
        // A reader for this run alone, which the caller's context does not keep:
        // the next run reads the files afresh.
        SaveContext run = ctx;
        run.rowGroup = oneRunReader();
        return saveSelectedRows(rows, name, run);
    }
    runSavePlan(planSave(rows, name, ctx.settings, ctx.rowGroup), ctx);
}

std::optional<fs::path> askSaveName(const std::vector<SaveRow>& rows, const AppSettings& settings,
                                    Desktop& desktop,
                                    const std::function<bool()>& showExportOptions,
                                    fs::path& lastName) {
    return askSaveName(std::size_t(selectedCount(rows)), settings, desktop, showExportOptions,
                       lastName);
}

std::optional<fs::path> askSaveName(std::size_t selected, const AppSettings& settings,
                                    Desktop& desktop,
                                    const std::function<bool()>& showExportOptions,
                                    fs::path& lastName) {
    if (selected == 0) return std::nullopt;
    if (!showExportOptions()) return std::nullopt;
    // The format as the export options left it.
    FileDialogRequest request = saveDialogRequest(settings.saveFormat);
    request.initial = lastName;
    auto chosen = desktop.saveFile(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    lastName = *chosen;
    return forceExtension(*chosen, request.defaultExt);
}

}  // namespace pellimar
