// Mean colour error of the 256-colour reduction the icon writer uses, against a
// fixed 256-colour palette, on real 32-bit icons; and how long each takes.
//   bench_palette_error [PNG icon folder] [folder of Windows programs]
//   (defaults /usr/share/icons and none)
// Exits with status 1 when no icon was measured.
#include <QGuiApplication>
#include <QLoggingCategory>
#include <chrono>
#include <cstdio>

#include "icon_corpus.h"
#include "platform/palette.h"
#include "platform/reduced_icon_file.h"
#include "support/colour_error.h"

using namespace pellimar;
using test::meanColorError;
using test::toFixedPalette256;

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // Some theme icons carry an sRGB profile libpng remarks on, once per reading.
    QLoggingCategory::setFilterRules("qt.gui.imageio.info=false");
    QString root = argc > 1 ? argv[1] : "/usr/share/icons";
    QString windows = argc > 2 ? argv[2] : "";
    struct Set {
        std::string name;
        std::vector<Icon> icons;
    };
    std::vector<Set> sets;
    for (int size : {16, 32, 48, 64}) {
        Set set{"PNG themes " + std::to_string(size) + "x" + std::to_string(size), {}};
        for (auto& [path, icon] : bench::loadCorpus(root, size)) set.icons.push_back(icon);
        sets.push_back(std::move(set));
    }
    if (!windows.isEmpty())
        for (int size : {32, 16}) {
            Set set{"Windows programs " + std::to_string(size) + "x" + std::to_string(size), {}};
            for (auto& w : bench::loadWindowsIcons(windows, size, 100000))
                set.icons.push_back(w.icon);
            sets.push_back(std::move(set));
        }
    int measured = 0, measuredWindows = 0;
    for (Set& set : sets) {
        double adaptiveSum = 0, fixedSum = 0, adaptiveTime = 0, fixedTime = 0;
        int counted = 0, standard = 0;
        for (const Icon& icon : set.icons) {
            const std::optional<IconBitmaps> bitmaps = bitmapsOf(icon);
            if (!bitmaps) continue;
            const IconBitmaps& bm = *bitmaps;
            if (chooseIconColors(bm.color) == 16) {
                ++standard;
                continue;
            }
            RgbImage rgb{bm.color.width, bm.color.height, bm.color.pixels};
            std::vector<std::uint8_t> skip(bm.mask.pixels.size());
            for (std::size_t i = 0; i < skip.size(); ++i) skip[i] = bm.mask.pixels[i] != 0;
            auto t0 = std::chrono::steady_clock::now();
            IndexedImage adaptive = toAdaptivePalette(rgb);
            auto t1 = std::chrono::steady_clock::now();
            IndexedImage fixed = toFixedPalette256(rgb);
            auto t2 = std::chrono::steady_clock::now();
            adaptiveTime += std::chrono::duration<double, std::milli>(t1 - t0).count();
            fixedTime += std::chrono::duration<double, std::milli>(t2 - t1).count();
            adaptiveSum += meanColorError(rgb, adaptive, skip);
            fixedSum += meanColorError(rgb, fixed, skip);
            ++counted;
        }
        measured += counted;
        if (set.name.starts_with("Windows")) measuredWindows += counted;
        if (counted == 0) {
            std::printf("%s: no icon to reduce (%zu found, %d already standard)\n",
                        set.name.c_str(), set.icons.size(), standard);
            continue;
        }
        std::printf(
            "%s: %4d icons reduced to 256 colours (%d already standard). Mean RGB "
            "distance per opaque pixel: fixed palette %.2f, adaptive %.2f. ms per icon: fixed "
            "%.3f, adaptive %.3f\n",
            set.name.c_str(), counted, standard, fixedSum / counted, adaptiveSum / counted,
            fixedTime / counted, adaptiveTime / counted);
    }
    // A run that measured nothing must not pass for one that did, nor a folder of
    // Windows programs that was named and gave nothing.
    if (measured == 0) {
        std::fprintf(stderr, "no icon was measured: nothing to reduce under %s\n",
                     root.toLocal8Bit().constData());
        return 1;
    }
    if (!windows.isEmpty() && measuredWindows == 0) {
        std::fprintf(stderr, "no icon was measured from the programs under %s\n",
                     windows.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
