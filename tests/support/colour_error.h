// Measures of a palette reduction for the tests and the palette benchmark: how far
// a palette picture lies from its original, and a fixed 256-colour palette to
// compare the icon writer's own reduction with.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/palette.h"

namespace pellimar::test {

// Mean Euclidean RGB distance between the picture and its palette version over
// the pixels whose `skip` entry is 0 (all pixels when `skip` is empty).
inline double meanColorError(const RgbImage& image, const IndexedImage& reduced,
                             const std::vector<std::uint8_t>& skip = {}) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = 0; i < image.pixels.size() && i < reduced.indices.size(); ++i) {
        if (!skip.empty() && skip[i]) continue;
        const std::uint32_t a = image.pixels[i], b = reduced.palette[reduced.indices[i]];
        double d2 = 0;
        for (int shift : {16, 8, 0}) {
            const double d = double(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
            d2 += d * d;
        }
        sum += std::sqrt(d2);
        ++n;
    }
    return n ? sum / double(n) : 0.0;
}

// A fixed 256-colour palette (the 6x6x6 colour cube, the 16 standard colours and
// a ramp of greys) with nearest-colour mapping.
inline IndexedImage toFixedPalette256(const RgbImage& image) {
    std::vector<std::uint32_t> palette(standardColors().begin(), standardColors().end());
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back(std::uint32_t(r * 51) << 16 | std::uint32_t(g * 51) << 8 |
                                  std::uint32_t(b * 51));
    // Greys between the cube's steps of 51.
    for (int v = 8; palette.size() < 256; v += 10)
        if (v % 51 != 0) palette.push_back(std::uint32_t(v) * 0x010101);
    return mapToPalette(image, std::move(palette));
}

}  // namespace pellimar::test
