#include "export/save_command.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "core/file_names.h"
#include "export/save_icon_as_ico.h"
#include "platform/atomic_file.h"
#include "platform/bmp_file.h"
#include "platform/icon_decode.h"
#include "platform/icon_png.h"
#include "platform/jpeg_file.h"
#include "platform/raster.h"

namespace pellimar {
namespace fs = std::filesystem;

namespace {

enum class PictureFormat { Bmp, Jpg };

int selectedCount(const std::vector<SaveRow>& rows) {
    return int(
        std::count_if(rows.begin(), rows.end(), [](const SaveRow& r) { return r.selected; }));
}

bool sizeOn(const AppSettings& s, int width) {
    switch (width) {
        case 128:
            return s.size_128;
        case 64:
            return s.size_64;
        case 48:
            return s.size_48;
        case 32:
            return s.size_32;
        case 16:
            return s.size_16;
        default:
            return false;
    }
}

// Writes a picture; a failure ends the run with the system's reason.
void writePictureOrThrow(const fs::path& file, const RgbImage& image, PictureFormat kind) {
    errno = 0;
    bool ok = kind == PictureFormat::Bmp ? writeBmpFile(file, image) : writeJpegFile(file, image);
    if (!ok) throw std::runtime_error(writeFailureMessage(file, errno));
}

fs::path saveIcoImage(const fs::path& source, const fs::path& target, int iconIndex,
                      SaveContext& ctx, std::optional<PictureFormat> kind) {
    if (iconIndex < 0 || upperCaseExtension(source) != ".ICO" || target.empty()) return {};
    auto info = ctx.icons.icoImageInfoTexts(source, iconIndex + 1);
    if (!info || info->size() < 2) {
        ctx.desktop.message("save falsed", "notice", Buttons::Ok);
        return {};
    }
    int width = 0;
    try {
        width = std::stoi((*info)[1]);
    } catch (const std::exception&) {
        return {};
    }
    if (!sizeOn(ctx.settings, width)) return {};
    const fs::path file =
        target.parent_path() / (std::to_string(width) + "-" + target.filename().string());
    auto bytes = ctx.icons.copyIcoImage(source, iconIndex + 1);
    if (!bytes) return {};
    if (!kind) {
        errno = 0;
        if (writeFileAtomically(file, *bytes)) return file;
        ctx.report.addFailure(writeFailureMessage(file, errno));
        return {};
    }
    Icon icon = ctx.icons.loadIcon(*bytes);
    if (icon.empty()) return {};
    RgbImage image = whiteImage(width, width);
    drawIcon(image, icon);
    // As for every other row of a picture run, a file that cannot be written ends
    // the run with the system's reason.
    writePictureOrThrow(file, image, *kind);
    return file;
}

void saveSelectedAsPicture(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx,
                           PictureFormat kind) {
    const int selected = selectedCount(rows);
    const AppSettings& s = ctx.settings;
    int counter = 0;
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        const std::string suffix = saveNumberSuffix(counter, selected);
        const fs::path target = name.target(suffix);
        if (upperCaseExtension(row.source) == ".ICO") {
            fs::path out = kind == PictureFormat::Bmp
                               ? saveIcoImageAsBmp(row.source, target, row.iconPosition, ctx)
                               : saveIcoImageAsJpg(row.source, target, row.iconPosition, ctx);
            if (!out.empty()) ctx.report.add(out.filename());
            ++counter;
            continue;
        }
        if (!s.size_32 && !s.size_16) continue;
        ++counter;
        // A position that has no icon (any more) gives no file.
        Icon icon = ctx.icons.extract(row.source, row.iconPosition, 32);
        if (icon.empty()) continue;
        // BMP draws on 32 x 32, JPEG on the icon's own size, except for the pair.
        const bool square = kind == PictureFormat::Bmp || (s.size_32 && s.size_16);
        RgbImage large = square ? whiteImage(32, 32) : whiteImage(icon.width, icon.height);
        drawIcon(large, icon);
        auto write = [&](const std::string& fileName, const RgbImage& image) {
            writePictureOrThrow(name.dir / fileName, image, kind);
            ctx.report.add(fileName);
        };
        const std::string plain = target.filename().string();
        if (s.size_32 && s.size_16) {
            write("32-" + plain, large);
            write("16-" + plain, stretchNearest(large, 16, 16));
        } else if (s.size_32) {
            write(plain, large);
        } else {
            write(plain, stretchNearest(large, 16, 16));
        }
    }
}

// Writes a whole file; a failure ends the run with the system's reason.
void writeBytesOrThrow(const fs::path& file, std::span<const std::uint8_t> bytes) {
    errno = 0;
    if (!writeFileAtomically(file, bytes))
        throw std::runtime_error(writeFailureMessage(file, errno));
}

// The row's icon at size x size: the best image of its group, or for an .ico
// source the row's own image, brought to that size.
Icon rowIconAt(const SaveRow& row, int size, SaveContext& ctx) {
    if (upperCaseExtension(row.source) != ".ICO")
        return ctx.icons.extract(row.source, row.iconPosition, size);
    if (row.iconPosition < 0) return {};
    auto bytes = ctx.icons.copyIcoImage(row.source, row.iconPosition + 1);
    if (!bytes) return {};
    Icon icon = ctx.icons.loadIcon(*bytes);
    if (icon.empty() || (icon.width == size && icon.height == size)) return icon;
    return resizeIcon(icon, size, size);
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

fs::path saveIcoImageAsIco(const fs::path& source, const fs::path& target, int iconIndex,
                           SaveContext& ctx) {
    return saveIcoImage(source, target, iconIndex, ctx, std::nullopt);
}
fs::path saveIcoImageAsBmp(const fs::path& source, const fs::path& target, int iconIndex,
                           SaveContext& ctx) {
    return saveIcoImage(source, target, iconIndex, ctx, PictureFormat::Bmp);
}
fs::path saveIcoImageAsJpg(const fs::path& source, const fs::path& target, int iconIndex,
                           SaveContext& ctx) {
    return saveIcoImage(source, target, iconIndex, ctx, PictureFormat::Jpg);
}

void saveSelectedAsIco(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx) {
    const int selected = selectedCount(rows);
    int counter = 0;
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        const fs::path target = name.target(saveNumberSuffix(counter, selected));
        try {
            if (upperCaseExtension(row.source) == ".ICO") {
                fs::path out = saveIcoImageAsIco(row.source, target, row.iconPosition, ctx);
                if (!out.empty()) ctx.report.add(out.filename());
            } else {
                saveIconAsIco(row.source, target, row.iconPosition, ctx.settings, ctx.report,
                              ctx.icons);
            }
        } catch (const std::exception& e) {
            // A row that fails is skipped, and counted as not written.
            ctx.report.addFailure(e.what());
        }
        ++counter;
    }
}

void saveSelectedAsBmp(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx) {
    saveSelectedAsPicture(rows, name, ctx, PictureFormat::Bmp);
}

void saveSelectedAsJpg(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx) {
    saveSelectedAsPicture(rows, name, ctx, PictureFormat::Jpg);
}

void saveSelectedAsPng(const std::vector<SaveRow>& rows, const SaveName& name, SaveContext& ctx) {
    const int selected = selectedCount(rows);
    std::vector<int> sizes;
    for (int size : {128, 64, 48, 32, 16})
        if (sizeOn(ctx.settings, size)) sizes.push_back(size);
    int counter = 0;
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        const std::string plain =
            name.target(saveNumberSuffix(counter, selected)).filename().string();
        ++counter;
        for (int size : sizes) {
            // A position that has no icon (any more) gives no file.
            const Icon icon = rowIconAt(row, size, ctx);
            if (icon.empty()) continue;
            auto png = iconToPng(icon);
            if (!png) continue;
            const std::string fileName =
                sizes.size() > 1 ? std::to_string(size) + "-" + plain : plain;
            writeBytesOrThrow(name.dir / fileName, *png);
            ctx.report.add(fileName);
        }
    }
}

void saveSelectedAsOriginal(const std::vector<SaveRow>& rows, const SaveName& name,
                            SaveContext& ctx) {
    const int selected = selectedCount(rows);
    int counter = 0;
    for (const SaveRow& row : rows) {
        if (!row.selected) continue;
        const fs::path target = name.target(saveNumberSuffix(counter, selected));
        ++counter;
        std::optional<std::vector<std::uint8_t>> bytes;
        if (upperCaseExtension(row.source) == ".ICO") {
            if (row.iconPosition >= 0)
                bytes = ctx.icons.copyIcoImage(row.source, row.iconPosition + 1);
        } else if (ctx.icons.groupIcoFile) {
            bytes = ctx.icons.groupIcoFile(row.source, row.iconPosition);
        }
        if (!bytes) continue;
        writeBytesOrThrow(target, *bytes);
        ctx.report.add(target.filename());
    }
}

void saveSelectedRows(const std::vector<SaveRow>& rows, const fs::path& name, SaveContext& ctx) {
    SaveName parts(name);
    ctx.report.setFolder(parts.dir / "");
    const std::string ext = upperCaseExtension(name);
    if (ext == ".ICO" && ctx.settings.format == "original")
        saveSelectedAsOriginal(rows, parts, ctx);
    else if (ext == ".ICO")
        saveSelectedAsIco(rows, parts, ctx);
    else if (ext == ".BMP")
        saveSelectedAsBmp(rows, parts, ctx);
    else if (ext == ".JPG")
        saveSelectedAsJpg(rows, parts, ctx);
    else if (ext == ".PNG")
        saveSelectedAsPng(rows, parts, ctx);
    else
        ctx.desktop.message("This file format is not supported now. Failed to save!", "Error",
                            Buttons::Ok, MessageIcon::Error);
}

bool runSaveCommand(const std::vector<SaveRow>& rows, SaveContext& ctx,
                    const std::function<bool()>& showExportOptions,
                    const std::function<void()>& showReport, fs::path& lastName) {
    if (selectedCount(rows) == 0) return false;
    if (!showExportOptions()) return false;
    FileDialogRequest request = saveDialogRequest(ctx.settings.format);
    request.initial = lastName;
    auto chosen = ctx.desktop.saveFile(request);
    if (!chosen || chosen->empty()) return false;
    lastName = *chosen;
    const fs::path name = forceExtension(*chosen, request.defaultExt);
    ctx.report.clear();
    saveSelectedRows(rows, name, ctx);
    if (ctx.report.failureCount() > 0) {
        std::string text = ctx.report.firstFailure();
        if (ctx.report.failureCount() > 1)
            text += "\n" + std::to_string(ctx.report.failureCount() - 1) +
                    " more files could not be written either.";
        ctx.desktop.message(text, "Error", Buttons::Ok, MessageIcon::Error);
    }
    try {
        showReport();
    } catch (const std::exception&) {
    }
    return true;
}

}  // namespace pellimar
