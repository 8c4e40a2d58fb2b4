#include "export/save_icon_as_ico.h"

#include "platform/atomic_file.h"
#include "platform/image_choice.h"
#include "platform/reduced_icon_file.h"

namespace pellimar {
namespace fs = std::filesystem;

Result<Placed> writeSingleIconFile(const fs::path& file, const Icon& icon,
                                   const WriteOptions& options) {
    const auto bytes = encodeReducedIconFile(std::span(&icon, 1));
    if (!bytes) return bytes.failure();
    return writeFile(file, *bytes, options);
}

void saveIconsAsIco(const Icon& large, const Icon& small, const fs::path& dest, bool size32,
                    bool size16, SaveReport& report, const WriteOptionsFor& optionsFor) {
    if (large.empty() && small.empty()) return;
    const fs::path dir = dest.parent_path();
    const fs::path name = dest.filename();
    auto save = [&](const Icon& icon, const fs::path& fileName) {
        if (icon.empty()) return;
        const Result<Placed> written = writeSingleIconFile(
            dir / fileName, icon, optionsFor ? optionsFor(dir / fileName) : WriteOptions{});
        if (!written)
            report.addFailure(writeFailureMessage(dir / fileName, written.failure()));
        else if (*written == Placed::Kept)
            report.addKept(fileName);
        else
            report.add(fileName);
    };
    if (size32 && size16) {
        save(large, "32-" + name.string());
        save(small, "16-" + name.string());
    } else if (size32) {
        save(large, name);
    } else if (size16) {
        save(small, name);
    }
}

void saveIconAsIco(const IconGroup& group, const fs::path& dest, const AppSettings& settings,
                   SaveReport& report, const std::string& row, const WriteOptionsFor& optionsFor) {
    if (!settings.size_32 && !settings.size_16) {
        report.addSkippedRow(row +
                             ": icon files of programs are saved at 32 and 16 pixels, and "
                             "neither is chosen");
        return;
    }
    // Only the sizes that will be written are made.
    const Result<Icon> large = settings.size_32 ? iconAtSize(group, 32) : Result<Icon>(Icon{});
    const Result<Icon> small = settings.size_16 ? iconAtSize(group, 16) : Result<Icon>(Icon{});
    if (!large || !small) {
        report.addUnreadableRow(row, (!large ? large : small).failure());
        return;
    }
    saveIconsAsIco(*large, *small, dest, settings.size_32, settings.size_16, report, optionsFor);
}

}  // namespace pellimar
