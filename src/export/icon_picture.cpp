#include "export/icon_picture.h"

#include <algorithm>

#include "core/file_names.h"
#include "platform/byte_source.h"
#include "platform/icon_decode.h"
#include "platform/icon_png.h"
#include "platform/icon_resources.h"

namespace pellimar {

Icon largestRowImage(const std::filesystem::path& source, int position) {
    if (position < 0) return {};
    if (upperCaseExtension(source) == ".ICO") {
        // Read into memory, not mapped: a file cut short meanwhile gives no picture.
        const auto file = ByteSource::openFile(source);
        const auto bytes = file ? file->read(0, file->size()) : std::nullopt;
        if (!bytes) return {};
        Icon image = decodeIcoImage(*bytes, position);
        const int side = std::max(image.width, image.height);
        if (side > kMaxPictureSize)
            image = resizeIcon(image, std::max(1, image.width * kMaxPictureSize / side),
                               std::max(1, image.height * kMaxPictureSize / side));
        return image;
    }
    const auto file = IconFile::open(source);
    if (!file) return {};
    return largestIconImage(file->resources(), position);
}

}  // namespace pellimar
