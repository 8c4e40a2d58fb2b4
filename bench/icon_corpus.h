// Real 32-bit icons for the benchmarks: the PNG icons of the installed icon
// themes (or any folder given), decoded by Qt into Icons with alpha.
#pragma once

#include <QDirIterator>
#include <QImage>
#include <string>
#include <vector>

#include "platform/icon.h"
#include "platform/icon_set.h"
#include "platform/image_choice.h"

namespace pellimar::bench {

inline Icon iconFromImage(const QImage& source) {
    QImage img = source.convertToFormat(QImage::Format_ARGB32);
    Icon icon;
    icon.width = img.width();
    icon.height = img.height();
    icon.hasAlpha = true;
    icon.bitCount = 32;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) icon.color.push_back(img.pixel(x, y));
    icon.mask.assign(icon.color.size(), 0);
    return icon;
}

// Up to `limit` full-colour icons of `size` x `size` found as PNG files under `root`, with
// their file paths.
inline std::vector<std::pair<std::string, Icon>> loadCorpus(const QString& root, int size,
                                                            std::size_t limit = 100000) {
    std::vector<std::pair<std::string, Icon>> out;
    QDirIterator it(root, {"*.png"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext() && out.size() < limit) {
        QString path = it.next();
        if (path.contains("symbolic")) continue;  // one-colour outlines
        QImage img(path);
        if (img.isNull() || img.width() != size || img.height() != size) continue;
        out.emplace_back(path.toStdString(), iconFromImage(img));
    }
    return out;
}

// One icon of a Windows program or library.
struct WindowsIcon {
    std::string file;
    int index = 0;
    Icon icon;
};

// Up to `limit` icons of the .exe and .dll files under `root`, read at `size`
// pixels by the program's own extraction, file after file, index after index.
// Icons that cannot be read are left out.
inline std::vector<WindowsIcon> loadWindowsIcons(const QString& root, int size, std::size_t limit) {
    std::vector<WindowsIcon> out;
    QDirIterator it(root, {"*.exe", "*.dll"}, QDir::Files, QDirIterator::Subdirectories);
    QStringList files;
    while (it.hasNext()) files << it.next();
    files.sort();
    for (const QString& f : files) {
        auto set = IconSet::open(f.toStdString());
        if (!set) continue;
        for (int i = 0; i < set->iconCount() && out.size() < limit; ++i) {
            Result<Icon> icon = iconAtSize(*set, i, size);
            if (icon) out.push_back({f.toStdString(), i, std::move(*icon)});
        }
        if (out.size() >= limit) break;
    }
    return out;
}

}  // namespace pellimar::bench
