// Icons leaving the program through the clipboard or a drag: a PNG picture with
// its transparency, as PNG bytes and as an image, which programs take as they like.
#pragma once

#include "platform/failure.h"
#include "platform/icon.h"

class QMimeData;

namespace pellimar {

// Puts `icon` into `data` as "image/png" bytes and as image data. Why not (and
// nothing put) when the icon is empty or cannot be encoded.
Result<Done> addIconPicture(QMimeData& data, const Icon& icon);

}  // namespace pellimar
