// Drawing an icon onto a 32-bit canvas by the desktop's rule (see icon.h): alpha
// icons are blended by their alpha; others apply (canvas AND mask) XOR colour, so
// that transparent and inverting pixels come out right.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/icon.h"

namespace pellimar {

// `canvas` holds canvasWidth x canvasHeight pixels 0xAARRGGBB, top row first. The
// icon is drawn at its own size with its top-left corner at (x, y), clipped to the
// canvas. Canvas pixels the icon touches keep their alpha byte.
void drawIcon(std::span<std::uint32_t> canvas, int canvasWidth, int canvasHeight, int x, int y,
              const Icon& icon);

// The icon drawn on a white square of its own size (what bitmap and JPEG writers store).
std::vector<std::uint32_t> iconOnWhite(const Icon& icon);

}  // namespace pellimar
