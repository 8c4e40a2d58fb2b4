// Icons and icon sources for the save tests, with no file format reader needed:
// .exe/.dll rows answer from a table, .ico rows from one-image icon files made by
// the program's own writer and read back by Qt.
#pragma once

#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "export/icon_services.h"
#include "export/icon_writer.h"
#include "platform/palette.h"

namespace pellimar::test {

namespace fs = std::filesystem;

// A size x size icon of standard colours with a transparent top-left quarter.
inline Icon standardIcon(int size) {
    Icon icon;
    icon.width = icon.height = size;
    icon.bitCount = 4;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            bool clear = x < size / 2 && y < size / 2;
            icon.color.push_back(clear ? 0 : 0xFF000000 | standardColors()[1 + (x + y) % 15]);
            icon.mask.push_back(clear ? 1 : 0);
        }
    return icon;
}

inline std::vector<std::uint8_t> icoBytes(const Icon& icon) {
    ByteStream s;
    writeIconFile(s, std::span(&icon, 1), 1);
    return s.bytes();
}

inline std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline QImage readImage(const fs::path& p) {
    return QImage(QString::fromStdString(p.string()));
}

struct TempDir {
    fs::path path;
    explicit TempDir(const std::string& tag) {
        static int n = 0;
        path = fs::temp_directory_path() /
               ("pellimar-" + tag + "-" + std::to_string(getpid()) + "-" + std::to_string(n++));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() { fs::remove_all(path); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (auto& e : fs::directory_iterator(path)) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

// Icon sources in memory. `exeIcons[{file, index}]` is the large icon; the small
// one is the same drawn at 16. `icoImages[file]` lists a file's images.
struct FakeSources {
    std::map<std::pair<std::string, int>, Icon> exeIcons;
    std::map<std::string, std::vector<std::vector<std::uint8_t>>> icoImages;
    std::vector<int> imageNumbersAsked;
    IconServices services;

    FakeSources() {
        services.extract = [this](const fs::path& f, int index, int size) {
            auto it = exeIcons.find({f.string(), index});
            if (it == exeIcons.end()) return Icon{};
            return size == 32 ? it->second : standardIcon(16);
        };
        services.icoImageInfoTexts = [this](const fs::path& f,
                                            int n) -> std::optional<std::vector<std::string>> {
            auto it = icoImages.find(f.string());
            if (it == icoImages.end()) return std::nullopt;
            imageNumbersAsked.push_back(n);
            const auto& img = it->second.at(std::size_t(n - 1));
            return std::vector<std::string>{std::to_string(it->second.size()),
                                            std::to_string(img[6]), std::to_string(img[7]), "4"};
        };
        services.copyIcoImage = [this](const fs::path& f,
                                       int n) -> std::optional<std::vector<std::uint8_t>> {
            auto it = icoImages.find(f.string());
            if (it == icoImages.end()) return std::nullopt;
            return it->second.at(std::size_t(n - 1));
        };
        services.loadIcon = [](std::span<const std::uint8_t> bytes) {
            QByteArray data(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
            QBuffer buffer(&data);
            QImage img = QImageReader(&buffer, "ico").read().convertToFormat(QImage::Format_ARGB32);
            Icon icon;
            if (img.isNull()) return icon;
            icon.width = img.width();
            icon.height = img.height();
            icon.hasAlpha = true;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) icon.color.push_back(img.pixel(x, y));
            icon.mask.assign(icon.color.size(), 0);
            return icon;
        };
    }
};

}  // namespace pellimar::test
