// Icons and icon sources for the save tests: libraries and icon files built by the
// fixtures, read by the program's own readers. The pictures are of the standard
// colours, so that the icon writer stores them as 16-colour images.
#pragma once

#include <unistd.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "core/settings.h"
#include "export/save_report.h"
#include "platform/palette.h"
#include "platform/reduced_icon_file.h"
#include "support/fixtures.h"

namespace pellimar::test {

namespace fs = std::filesystem;

// Settings that save at the sizes `on` (of 128, 64, 48, 32 and 16) in `format`.
inline AppSettings savingSizes(std::initializer_list<int> on, const std::string& format = "ico") {
    AppSettings s;
    s.saveSize128 = s.saveSize64 = s.saveSize48 = s.saveSize32 = s.saveSize16 = false;
    for (int v : on) {
        if (v == 128) s.saveSize128 = true;
        if (v == 64) s.saveSize64 = true;
        if (v == 48) s.saveSize48 = true;
        if (v == 32) s.saveSize32 = true;
        if (v == 16) s.saveSize16 = true;
    }
    s.saveFormat = format;
    return s;
}

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

// standardIcon(size) as a stored 16-colour image.
inline fixtures::IconImage standardImage(int size) {
    return fixtures::dibImage(standardIcon(size), 4);
}

// `icon` alone as an icon file, as the program writes it.
inline std::vector<std::uint8_t> icoBytes(const Icon& icon) {
    auto bytes = encodeReducedIconFile(std::span(&icon, 1));
    return bytes ? *bytes : std::vector<std::uint8_t>{};
}

// Each problem of a report as a person reads it, in order.
inline std::vector<std::string> textsOf(const std::vector<SaveProblem>& problems) {
    std::vector<std::string> out;
    for (const SaveProblem& p : problems) out.push_back(problemText(p));
    return out;
}

// Why the run ended early, as a person reads it; empty when it did not.
inline std::string stopText(const SaveReport& report) {
    return report.stopReason() ? problemText(*report.stopReason()) : std::string();
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
    fs::path write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        std::ofstream(path / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path / name;
    }
};

// The source files of the save tests, in a folder of their own:
//   shell32.dll  four icons, icon 3 of a 32 and a 16 pixel image;
//   a.exe        three icons, each of a 32 and a 16 pixel image;
//   multi.ico    images of 16, 32 and 48 pixels;
//   odd.ico      images of 24 and 256 pixels.
struct SaveSources {
    TempDir dir{"save-sources"};
    fs::path shell32, exe, multi, odd;
    std::vector<fixtures::IconImage> multiImages = {standardImage(16), standardImage(32),
                                                    standardImage(48)};

    SaveSources() {
        const fixtures::IconGroupSpec pair{{standardImage(32), standardImage(16)}};
        const fixtures::IconGroupSpec other{
            {fixtures::dibImage(fixtures::patternIcon(32, 32), 24)}};
        shell32 = dir.write("shell32.dll", fixtures::makePe({other, other, other, pair}));
        exe = dir.write("a.exe", fixtures::makePe({pair, pair, pair}));
        multi = dir.write("multi.ico", fixtures::makeIco(multiImages));
        odd = dir.write("odd.ico", fixtures::makeIco({standardImage(24), standardImage(256)}));
    }
};

}  // namespace pellimar::test
