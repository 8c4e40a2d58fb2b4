// Between the icon object and Qt images.
#pragma once

#include <QImage>

#include "platform/icon.h"

namespace pellimar {

// The icon as a QImage (Format_ARGB32) of its own size: alpha icons keep their
// alpha; other icons are opaque where the mask is 0 and transparent where it is 1
// (pixels that would invert the background cannot be shown without one and are left
// out). An empty icon gives a null QImage.
QImage iconToImage(const Icon& icon);

// Draws the icon by the desktop's rule (alpha blending, or AND mask then XOR colour)
// onto `target` at (x, y). `target` is converted to Format_ARGB32 or Format_RGB32 if
// it is in another format.
void drawIconOnImage(QImage& target, int x, int y, const Icon& icon);

// The icon as a row of the result list shows it (Format_ARGB32, its own size): alpha
// icons keep their alpha; other icons are opaque where the mask is 0, transparent
// where the mask is 1 over black, and a pixel that would invert the background is
// drawn as it shows on the list's white. An empty icon gives a null QImage.
QImage listPicture(const Icon& icon);

// The picture of a result row: listPicture() brought to `size` x `size`
// (Format_ARGB32); an empty icon gives a transparent square. Safe off the UI thread.
QImage rowPicture(const Icon& icon, int size = 32);

// The icon drawn on a white square of its own size, Format_RGB32.
QImage iconOnWhiteImage(const Icon& icon);

}  // namespace pellimar
