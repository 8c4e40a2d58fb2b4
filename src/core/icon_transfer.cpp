#include "core/icon_transfer.h"

#include <QByteArray>
#include <QMimeData>

#include "core/icon_image.h"
#include "platform/icon_png.h"

namespace pellimar {

Result<Done> addIconPicture(QMimeData& data, const Icon& icon) {
    const auto png = iconToPng(icon);
    if (!png) return png.failure();
    data.setData("image/png",
                 QByteArray(reinterpret_cast<const char*>(png->data()), qsizetype(png->size())));
    data.setImageData(iconToImage(icon));
    return Done{};
}

}  // namespace pellimar
