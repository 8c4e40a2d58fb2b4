#include "core/icon_image.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <span>

#include "platform/raster.h"

namespace pellimar {

QImage iconToImage(const Icon& icon) {
    if (icon.empty() || icon.color.size() < std::size_t(icon.width) * icon.height) return {};
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    for (int y = 0; y < icon.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < icon.width; ++x) {
            std::uint32_t c = icon.pixel(x, y);
            bool masked = std::size_t(y) * icon.width + x < icon.mask.size() && icon.maskBit(x, y);
            if (icon.hasAlpha)
                line[x] = c;
            else
                line[x] = masked ? 0u : (c | 0xFF000000u);
        }
    }
    return image;
}

void drawIconOnImage(QImage& target, int x, int y, const Icon& icon) {
    if (target.isNull() || icon.empty()) return;
    if (target.format() != QImage::Format_ARGB32 && target.format() != QImage::Format_RGB32)
        target = target.convertToFormat(target.hasAlphaChannel() ? QImage::Format_ARGB32
                                                                 : QImage::Format_RGB32);
    RgbImage canvas;
    canvas.width = target.width();
    canvas.height = target.height();
    canvas.pixels.resize(std::size_t(canvas.width) * canvas.height);
    for (int row = 0; row < canvas.height; ++row)
        std::memcpy(&canvas.pixels[std::size_t(row) * canvas.width], target.constScanLine(row),
                    std::size_t(canvas.width) * 4);
    drawIcon(canvas, icon, x, y);
    for (int row = 0; row < canvas.height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(row));
        for (int col = 0; col < canvas.width; ++col)
            line[col] = (line[col] & 0xFF000000u) |
                        (canvas.pixels[std::size_t(row) * canvas.width + col] & 0xFFFFFF);
    }
}

QImage listPicture(const Icon& icon) {
    if (icon.empty() || icon.color.size() < std::size_t(icon.width) * std::size_t(icon.height))
        return {};
    QImage img(icon.width, icon.height, QImage::Format_ARGB32);
    const bool haveMask = icon.mask.size() >= icon.color.size();
    for (int y = 0; y < icon.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < icon.width; ++x) {
            std::uint32_t c = icon.pixel(x, y);
            if (icon.hasAlpha) {
                line[x] = c;
            } else if (!haveMask || !icon.maskBit(x, y)) {
                line[x] = 0xFF000000u | (c & 0xFFFFFFu);
            } else if ((c & 0xFFFFFFu) == 0) {
                line[x] = 0;  // transparent
            } else {
                // An inverting pixel, drawn as it would show on the list's white.
                line[x] = 0xFF000000u | (~c & 0xFFFFFFu);
            }
        }
    }
    return img;
}

QImage rowPicture(const Icon& icon, int size) {
    QImage picture = listPicture(icon);
    if (picture.isNull()) {
        QImage empty(size, size, QImage::Format_ARGB32);
        empty.fill(Qt::transparent);
        return empty;
    }
    if (picture.width() != size || picture.height() != size)
        picture = picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32);
    return picture;
}

int pixelSizeAt(int logicalSize, double ratio) {
    if (!(ratio > 1.0)) return logicalSize;
    return int(std::lround(logicalSize * std::min(ratio, 8.0)));
}

QImage listPictureAtRatio(const Icon& source, int logicalSize, double ratio) {
    QImage picture = listPicture(source);
    if (picture.isNull()) return {};
    const int side = pixelSizeAt(logicalSize, ratio);
    if (picture.width() != side || picture.height() != side)
        picture = picture.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(double(side) / logicalSize);
    return picture;
}

namespace {
std::atomic<double> screenRatio{1.0};
}  // namespace

void setRowPictureRatio(double ratio) {
    screenRatio = ratio > 1.0 ? ratio : 1.0;
}

double rowPictureRatio() {
    return screenRatio;
}

QImage rowPictureAtRatio(const Icon& icon, const Icon& sharper, double ratio) {
    constexpr int kRowSize = 32;
    if (!(ratio > 1.0)) return rowPicture(icon, kRowSize);
    QImage picture = listPictureAtRatio(sharper.empty() ? icon : sharper, kRowSize, ratio);
    return picture.isNull() ? rowPicture(icon, kRowSize) : picture;
}

}  // namespace pellimar
