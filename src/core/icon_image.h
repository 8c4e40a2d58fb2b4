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

// The pixel size a picture of `logicalSize` takes on a screen of device pixel ratio
// `ratio` (1 for a ratio of 1 or less).
int pixelSizeAt(int logicalSize, double ratio);

// A row picture for a screen of device pixel ratio `ratio`: `logicalSize` x
// `logicalSize` device-independent pixels drawn from `source`, which is best the
// group's own image for that many device pixels (a 64 px image for 32 at ratio 2).
// The picture has pixelSizeAt(logicalSize, ratio) pixels a side, made from the
// source's own pixels (scaled smoothly only when the source is another size),
// and carries the ratio, so that it is drawn pixel for pixel. Null for an empty
// source.
QImage listPictureAtRatio(const Icon& source, int logicalSize, double ratio);

// The picture of a result row whose 32 px icon is `icon`, for a screen of device
// pixel ratio `ratio`: rowPicture(icon) at a ratio of 1 or less; above it drawn
// from `sharper`, the group's image for the screen's pixels, when there is one.
// Safe off the UI thread.
QImage rowPictureAtRatio(const Icon& icon, const Icon& sharper, double ratio);

// The device pixel ratio of the screen the result list is on, for the row pictures
// made off the UI thread; 1 until it is set.
void setRowPictureRatio(double ratio);
double rowPictureRatio();

}  // namespace pellimar
