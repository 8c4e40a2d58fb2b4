#include "platform/palette.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

namespace pellimar {

namespace {

constexpr std::array<std::uint32_t, 16> kStandard = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

int red(std::uint32_t c) {
    return int(c >> 16 & 0xFF);
}
int green(std::uint32_t c) {
    return int(c >> 8 & 0xFF);
}
int blue(std::uint32_t c) {
    return int(c & 0xFF);
}

int distance2(std::uint32_t a, std::uint32_t b) {
    int dr = red(a) - red(b), dg = green(a) - green(b), db = blue(a) - blue(b);
    return dr * dr + dg * dg + db * db;
}

std::uint8_t nearest(const std::vector<std::uint32_t>& palette, std::uint32_t c) {
    int best = std::numeric_limits<int>::max();
    std::size_t bestIndex = 0;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        int d = distance2(palette[i], c);
        if (d < best) {
            best = d;
            bestIndex = i;
            if (d == 0) break;
        }
    }
    return std::uint8_t(bestIndex);
}

struct Weighted {
    std::uint32_t color;
    std::uint32_t count;
};

// Channel c (0 red, 1 green, 2 blue) of a colour.
int channel(std::uint32_t color, int c) {
    return int(color >> (16 - 8 * c) & 0xFF);
}

struct Box {
    std::size_t begin, end;  // range of the colour array
    int axis = 0;
    long long score = 0;  // how much splitting it would gain (0: cannot split)
};

Box describe(std::vector<Weighted>& colors, std::size_t begin, std::size_t end) {
    Box box{begin, end};
    if (end - begin < 2) return box;
    int lo[3] = {255, 255, 255}, hi[3] = {0, 0, 0};
    long long weight = 0;
    for (std::size_t i = begin; i < end; ++i) {
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min(lo[c], channel(colors[i].color, c));
            hi[c] = std::max(hi[c], channel(colors[i].color, c));
        }
        weight += colors[i].count;
    }
    int range = -1;
    for (int c = 0; c < 3; ++c) {
        if (hi[c] - lo[c] > range) {
            range = hi[c] - lo[c];
            box.axis = c;
        }
    }
    box.score = (long long)range * range * weight;
    return box;
}

std::uint32_t meanColor(const std::vector<Weighted>& colors, std::size_t begin, std::size_t end) {
    double sum[3] = {0, 0, 0}, weight = 0;
    for (std::size_t i = begin; i < end; ++i) {
        for (int c = 0; c < 3; ++c) sum[c] += double(channel(colors[i].color, c)) * colors[i].count;
        weight += colors[i].count;
    }
    std::uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        int v = int(std::lround(sum[c] / weight));
        out |= std::uint32_t(std::clamp(v, 0, 255)) << (16 - 8 * c);
    }
    return out;
}

}  // namespace

IndexedImage mapToPalette(const RgbImage& image, std::vector<std::uint32_t> palette) {
    IndexedImage out;
    out.width = image.width;
    out.height = image.height;
    out.palette = std::move(palette);
    out.indices.resize(image.pixels.size());
    std::unordered_map<std::uint32_t, std::uint8_t> cache;
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        std::uint32_t c = image.pixels[i] & 0xFFFFFF;
        auto it = cache.find(c);
        if (it == cache.end()) it = cache.emplace(c, nearest(out.palette, c)).first;
        out.indices[i] = it->second;
    }
    return out;
}

const std::array<std::uint32_t, 16>& standardColors() {
    return kStandard;
}

bool isStandardColor(std::uint32_t rgb) {
    rgb &= 0xFFFFFF;
    return std::find(kStandard.begin(), kStandard.end(), rgb) != kStandard.end();
}

IndexedImage toStandardColors(const RgbImage& image) {
    return mapToPalette(image, std::vector<std::uint32_t>(kStandard.begin(), kStandard.end()));
}

IndexedImage toAdaptivePalette(const RgbImage& image, int maxColors) {
    maxColors = std::clamp(maxColors, 2, 256);
    std::unordered_map<std::uint32_t, std::uint32_t> counts;
    for (std::uint32_t p : image.pixels) ++counts[p & 0xFFFFFF];
    std::vector<Weighted> colors;
    colors.reserve(counts.size());
    for (auto [c, n] : counts) colors.push_back({c, n});
    std::sort(colors.begin(), colors.end(),
              [](const Weighted& a, const Weighted& b) { return a.color < b.color; });

    std::vector<std::uint32_t> palette;
    if (colors.size() <= std::size_t(maxColors)) {
        for (const Weighted& w : colors) palette.push_back(w.color);
        if (palette.empty()) palette.push_back(0);
        return mapToPalette(image, std::move(palette));
    }

    // Black is kept exactly and out of the cut.
    const bool keepBlack = counts.count(0) != 0;
    if (keepBlack) colors.erase(colors.begin());  // sorted: black is first
    const std::size_t wanted = std::size_t(maxColors) - (keepBlack ? 1 : 0);

    std::vector<Box> boxes{describe(colors, 0, colors.size())};
    while (boxes.size() < wanted) {
        auto it = std::max_element(boxes.begin(), boxes.end(),
                                   [](const Box& a, const Box& b) { return a.score < b.score; });
        if (it->score == 0) break;
        Box box = *it;
        int axis = box.axis;
        std::sort(colors.begin() + long(box.begin), colors.begin() + long(box.end),
                  [axis](const Weighted& a, const Weighted& b) {
                      return channel(a.color, axis) < channel(b.color, axis);
                  });
        long long total = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) total += colors[i].count;
        long long half = 0;
        std::size_t split = box.begin + 1;
        for (std::size_t i = box.begin; i < box.end - 1; ++i) {
            half += colors[i].count;
            split = i + 1;
            if (half * 2 >= total) break;
        }
        *it = describe(colors, box.begin, split);
        boxes.push_back(describe(colors, split, box.end));
    }
    if (keepBlack) palette.push_back(0);
    for (const Box& b : boxes) palette.push_back(meanColor(colors, b.begin, b.end));

    // Lloyd rounds: move each entry to the mean of the colours nearest to it.
    for (int round = 0; round < 6; ++round) {
        std::vector<double> sum(palette.size() * 3, 0.0), weight(palette.size(), 0.0);
        for (const Weighted& w : colors) {
            std::size_t k = nearest(palette, w.color);
            for (int c = 0; c < 3; ++c) sum[k * 3 + c] += double(channel(w.color, c)) * w.count;
            weight[k] += w.count;
        }
        bool moved = false;
        for (std::size_t k = 0; k < palette.size(); ++k) {
            if (weight[k] == 0 || (keepBlack && k == 0)) continue;
            std::uint32_t c = 0;
            for (int ch = 0; ch < 3; ++ch)
                c |=
                    std::uint32_t(std::clamp(int(std::lround(sum[k * 3 + ch] / weight[k])), 0, 255))
                    << (16 - 8 * ch);
            moved = moved || c != palette[k];
            palette[k] = c;
        }
        if (!moved) break;
    }
    return mapToPalette(image, std::move(palette));
}

}  // namespace pellimar
