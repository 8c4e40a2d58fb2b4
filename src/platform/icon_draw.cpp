#include "platform/icon_draw.h"

#include <vector>

namespace pellimar {

void drawIcon(std::span<std::uint32_t> canvas, int canvasWidth, int canvasHeight, int x, int y,
              const Icon& icon) {
    if (icon.empty() || canvasWidth <= 0 || canvasHeight <= 0 ||
        canvas.size() < std::size_t(canvasWidth) * std::size_t(canvasHeight))
        return;
    const std::size_t count = std::size_t(icon.width) * icon.height;
    if (icon.color.size() < count) return;
    for (int iy = 0; iy < icon.height; ++iy) {
        const int cy = y + iy;
        if (cy < 0 || cy >= canvasHeight) continue;
        for (int ix = 0; ix < icon.width; ++ix) {
            const int cx = x + ix;
            if (cx < 0 || cx >= canvasWidth) continue;
            const std::size_t si = std::size_t(iy) * icon.width + ix;
            std::uint32_t& dst = canvas[std::size_t(cy) * canvasWidth + cx];
            const std::uint32_t src = icon.color[si];
            if (icon.hasAlpha) {
                const std::uint32_t a = src >> 24;
                std::uint32_t out = dst & 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8) {
                    std::uint32_t s = (src >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
                    out |= ((s * a + d * (255 - a) + 127) / 255) << shift;
                }
                dst = out;
            } else {
                const bool keep = si < icon.mask.size() && icon.mask[si];
                const std::uint32_t background = keep ? dst : (dst & 0xFF000000u);
                dst = background ^ (src & 0x00FFFFFFu);
            }
        }
    }
}

std::vector<std::uint32_t> iconOnWhite(const Icon& icon) {
    if (icon.empty()) return {};
    std::vector<std::uint32_t> canvas(std::size_t(icon.width) * icon.height, 0xFFFFFFFFu);
    drawIcon(canvas, icon.width, icon.height, 0, 0, icon);
    return canvas;
}

}  // namespace pellimar
