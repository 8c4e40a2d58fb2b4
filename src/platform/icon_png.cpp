#include "platform/icon_png.h"

#include <algorithm>
#include <utility>

#include "platform/icon_decode.h"

namespace pellimar {

RgbaImage iconToRgba(const Icon& icon) {
    RgbaImage out;
    const std::size_t count = std::size_t(std::max(icon.width, 0)) * std::max(icon.height, 0);
    if (icon.empty() || icon.color.size() < count) return out;
    out.width = icon.width;
    out.height = icon.height;
    out.rgba.resize(count * 4);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t c = icon.color[i];
        const bool masked = i < icon.mask.size() && icon.mask[i] != 0;
        std::uint8_t* p = &out.rgba[i * 4];
        p[0] = std::uint8_t(c >> 16);
        p[1] = std::uint8_t(c >> 8);
        p[2] = std::uint8_t(c);
        if (icon.hasAlpha)
            p[3] = std::uint8_t(c >> 24);
        else if (masked)
            p[0] = p[1] = p[2] = p[3] = 0;
        else
            p[3] = 0xFF;
    }
    return out;
}

Result<std::vector<std::uint8_t>> iconToPng(const Icon& icon) {
    const RgbaImage rgba = iconToRgba(icon);
    if (rgba.width == 0) return failure(Fault::CannotEncode, "the icon is empty");
    return encodePng(rgba);
}

Icon withinPictureSize(Icon icon, int maxSize) {
    const int side = std::max(icon.width, icon.height);
    if (side <= maxSize || maxSize < 1) return icon;
    return resizeIcon(icon, std::max(1, icon.width * maxSize / side),
                      std::max(1, icon.height * maxSize / side));
}

Icon pictureWithin(Icon icon, int maxSize) {
    const std::size_t count = std::size_t(std::max(icon.width, 0)) * std::max(icon.height, 0);
    if (icon.empty() || icon.color.size() < count) return {};
    if (!icon.hasAlpha) {
        icon.mask.resize(count, 0);
        for (std::size_t i = 0; i < count; ++i)
            icon.color[i] = icon.mask[i] != 0 ? 0 : (icon.color[i] | 0xFF000000u);
        icon.hasAlpha = true;
    }
    return withinPictureSize(std::move(icon), maxSize);
}

}  // namespace pellimar
