#include "export/save_icon_as_ico.h"

#include <cerrno>

#include "core/file_names.h"
#include "export/icon_writer.h"
#include "platform/atomic_file.h"

namespace pellimar {
namespace fs = std::filesystem;

bool writeSingleIconFile(const fs::path& file, const Icon& icon) {
    ByteStream stream;
    if (!writeIconFile(stream, std::span(&icon, 1), 1)) return false;
    return writeFileAtomically(file, stream.bytes());
}

void saveIconsAsIco(const Icon& large, const Icon& small, const fs::path& dest, bool size32,
                    bool size16, SaveReport& report) {
    if (large.empty() && small.empty()) return;
    const fs::path dir = dest.parent_path();
    const fs::path name = dest.filename();
    auto save = [&](const Icon& icon, const fs::path& fileName) {
        if (icon.empty()) return;
        errno = 0;
        if (writeSingleIconFile(dir / fileName, icon))
            report.add(fileName);
        else
            report.addFailure(writeFailureMessage(dir / fileName, errno));
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

void saveIconAsIco(const fs::path& source, const fs::path& dest, int iconIndex,
                   const AppSettings& settings, SaveReport& report, const IconServices& icons) {
    if (upperCaseExtension(source) == ".ICO") {
        if (iconIndex < 0 || source.empty() || dest.empty()) return;
        if (auto bytes = icons.copyIcoImage(source, iconIndex + 1)) {
            errno = 0;
            if (!writeFileAtomically(dest, *bytes))
                report.addFailure(writeFailureMessage(dest, errno));
        }
        return;
    }
    // Only the sizes that will be written are read.
    Icon large = settings.size_32 ? icons.extract(source, iconIndex, 32) : Icon{};
    Icon small = settings.size_16 ? icons.extract(source, iconIndex, 16) : Icon{};
    saveIconsAsIco(large, small, dest, settings.size_32, settings.size_16, report);
}

}  // namespace pellimar
