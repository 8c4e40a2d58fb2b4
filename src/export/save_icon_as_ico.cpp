#include "export/save_icon_as_ico.h"

#include <algorithm>
#include <cctype>

#include "export/icon_writer.h"
#include "platform/atomic_file.h"

namespace pellimar {
namespace fs = std::filesystem;

std::string UpperExtension(const fs::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return ext;
}

bool WriteSingleIconFile(const fs::path& file, const Icon& icon) {
    ByteStream stream;
    if (!WriteIconFile(stream, std::span(&icon, 1), 1)) return false;
    return writeFileAtomically(file, stream.bytes());
}

void SaveIconsAsIco(const Icon& large, const Icon& small, const fs::path& dest, bool size32,
                    bool size16, SaveReport& report) {
    if (large.empty() && small.empty()) return;
    const fs::path dir = dest.parent_path();
    const fs::path name = dest.filename();
    auto save = [&](const Icon& icon, const fs::path& fileName) {
        if (icon.empty()) return;
        if (WriteSingleIconFile(dir / fileName, icon)) report.add(fileName);
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

void SaveIconAsIco(const fs::path& source, const fs::path& dest, int iconIndex,
                   const AppSettings& settings, SaveReport& report, const IconServices& icons) {
    if (UpperExtension(source) == ".ICO") {
        if (iconIndex < 0 || source.empty() || dest.empty()) return;
        if (auto bytes = icons.copyIcoImage(source, iconIndex + 1))
            writeFileAtomically(dest, *bytes);
        return;
    }
    // Only the sizes that will be written are read.
    Icon large = settings.size_32 ? icons.extract(source, iconIndex, 32) : Icon{};
    Icon small = settings.size_16 ? icons.extract(source, iconIndex, 16) : Icon{};
    SaveIconsAsIco(large, small, dest, settings.size_32, settings.size_16, report);
}

}  // namespace pellimar
