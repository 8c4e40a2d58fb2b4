// The save command's icon reading bound to the program's own readers.
#include "export/icon_services.h"

#include "platform/extract.h"
#include "platform/ico_file.h"
#include "platform/icon_decode.h"

namespace pellimar {

const IconServices& defaultIconServices() {
    static const IconServices services{
        [](const std::filesystem::path& file, int index, int size) {
            return extractIcon(file, index, size);
        },
        [](const std::filesystem::path& file, int imageNumber) {
            return cutIcoImage(file, imageNumber);
        },
        [](const std::filesystem::path& file,
           int imageNumber) -> std::optional<std::vector<std::string>> {
            auto info = readIcoImageInfo(file, imageNumber);
            if (!info) return std::nullopt;
            return std::vector<std::string>{
                std::to_string(info->imageCount), std::to_string(info->width),
                std::to_string(info->height), std::to_string(info->bitCount)};
        },
        [](std::span<const std::uint8_t> bytes) { return decodeIcoImage(bytes, 0); },
    };
    return services;
}

}  // namespace pellimar
