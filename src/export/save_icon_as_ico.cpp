#include "export/save_icon_as_ico.h"

#include <cerrno>

#include "export/icon_writer.h"
#include "platform/atomic_file.h"
#include "platform/image_choice.h"

namespace pellimar {
namespace fs = std::filesystem;

Result<Done> writeSingleIconFile(const fs::path& file, const Icon& icon) {
    const auto bytes = writeIconFile(std::span(&icon, 1));
    if (!bytes) return bytes.failure();
    errno = 0;
    if (!writeFileAtomically(file, *bytes)) return systemFailure(Fault::WriteFailed, errno);
    return Done{};
}

void saveIconsAsIco(const Icon& large, const Icon& small, const fs::path& dest, bool size32,
                    bool size16, SaveReport& report, const MayWrite& mayWrite) {
    if (large.empty() && small.empty()) return;
    const fs::path dir = dest.parent_path();
    const fs::path name = dest.filename();
    auto save = [&](const Icon& icon, const fs::path& fileName) {
        if (icon.empty() || (mayWrite && !mayWrite(dir / fileName))) return;
        const Result<Done> written = writeSingleIconFile(dir / fileName, icon);
        if (written)
            report.add(fileName);
        else
            report.addFailure(writeFailureMessage(dir / fileName, written.failure().error));
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
                   SaveReport& report, const std::string& row, const MayWrite& mayWrite) {
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
    saveIconsAsIco(*large, *small, dest, settings.size_32, settings.size_16, report, mayWrite);
}

}  // namespace pellimar
