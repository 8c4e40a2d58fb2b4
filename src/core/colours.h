// Colours for text: how well one reads on another, and the palette colour to fall
// back on when a role's colour would not read.
#pragma once

#include <QColor>

namespace pellimar {

// The contrast ratio of two colours, from 1 (the same) to 21 (black and white), by
// their relative luminance in sRGB.
double contrastRatio(const QColor& a, const QColor& b);

// Text needs at least this contrast against what it stands on.
inline constexpr double kLeastTextContrast = 4.5;

// `wanted` when it reads on `background`, otherwise `fallback`.
QColor readableOn(const QColor& wanted, const QColor& background, const QColor& fallback);

}  // namespace pellimar
