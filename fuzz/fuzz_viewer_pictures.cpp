// libFuzzer target for the pictures the icon viewer makes of an icon or cursor
// file's images: the thumbnails (drawn on black, fitted, at two pixel densities),
// the preview drawn from the group's sharpest image, and the cursor's hotspot mark.
#include <QImage>
#include <QSize>
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "viewer/icon_viewer.h"
#include "viewer/thumbnails.h"

using namespace pellimar;

namespace {

void exercise(IconSet& set, ResourceKind kind) {
    if (set.groups(kind).empty()) return;
    const IconGroup& group = set.load(kind, 0);
    for (std::size_t i = 0; i < group.images.size() && i < 8; ++i) {
        const Result<Icon> icon = decodeStoredImage(group.images[i]);
        if (!icon) continue;
        for (double ratio : {1.0, 2.0}) {
            const QImage thumbnail = thumbnailPicture(*icon, QSize(137, 49), ratio);
            // Never larger than the area it is made for.
            if (thumbnail.deviceIndependentSize().width() > 137.5 ||
                thumbnail.deviceIndependentSize().height() > 49.5)
                __builtin_trap();
        }
        QImage preview = previewPictureAt(group, int(i), *icon, 2.0);
        markHotspot(preview, *icon, group.images[i]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (auto set = IconSet::read(ByteSource(std::span<const std::uint8_t>(data, size)))) {
        exercise(*set, ResourceKind::Icon);
        exercise(*set, ResourceKind::Cursor);
    }
    return 0;
}
