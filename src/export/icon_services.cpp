// The save command's icon reading bound to the program's own readers.
#include "export/icon_services.h"

#include "export/ico_routines.h"
#include "platform/extract.h"
#include "platform/icon_decode.h"
#include "platform/icon_group.h"

namespace pellimar {

const IconServices& defaultIconServices() {
    static const IconServices services{
        [](const std::filesystem::path& file, int index, int size) {
            return extractIcon(file, index, size);
        },
        [](const std::filesystem::path& file, int imageNumber) {
            return copyIcoImage(file, imageNumber);
        },
        [](const std::filesystem::path& file, int imageNumber) {
            return icoImageInfoTexts(file, imageNumber);
        },
        [](std::span<const std::uint8_t> bytes) { return decodeIcoImage(bytes, 0); },
        [](const std::filesystem::path& file,
           int index) -> std::optional<std::vector<std::uint8_t>> {
            auto opened = IconFile::open(file);
            if (!opened) return std::nullopt;
            auto bytes = encodeIcoFile(storedImages(opened->resources(), index));
            if (bytes.empty()) return std::nullopt;
            return bytes;
        },
    };
    return services;
}

}  // namespace pellimar
