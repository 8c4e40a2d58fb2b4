// A folder of made-up Windows files for the benchmarks to read when no folder of
// real ones is at hand: libraries and programs (PE32 and PE32+), icon libraries
// (NE), icon files and a few libraries without icons. Some libraries hold over a
// hundred icons, most a handful. The folder knows how many icons it holds, so a
// benchmark can check that it read all of them.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "support/fixtures.h"

namespace pellimar::bench {

// Reads each file whole and drops the bytes, as `cat > /dev/null` does; the number
// of bytes read. Files that cannot be opened count nothing.
inline long long readFilesWhole(const std::vector<std::filesystem::path>& files) {
    static std::vector<char> buffer(1 << 17);
    long long bytes = 0;
    for (const auto& path : files) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ssize_t n;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) bytes += n;
        ::close(fd);
    }
    return bytes;
}

class SampleFolder {
  public:
    // `fileCount` files straight in a fresh folder under the system's temporary folder.
    explicit SampleFolder(int fileCount = 300) {
        using namespace pellimar::fixtures;
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pellimar-bench-files-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a folder for the sample files");
        path_ = pattern;

        // The images every icon is made of, built once.
        const IconImage small4 = dibImage(patternIcon(16, 16, 16), 4);
        const IconImage small8 = dibImage(patternIcon(16, 16, 200), 8);
        const IconImage large8 = dibImage(patternIcon(32, 32, 200), 8);
        const IconImage large32 = dibImage(alphaPatternIcon(32, 32), 32);
        const IconImage huge32 = dibImage(alphaPatternIcon(48, 48), 32);
        const IconImage png256 = pngImage(alphaPatternIcon(256, 256));
        const std::vector<std::vector<IconImage>> groupKinds = {
            {small4, large8},
            {small8, large8, large32},
            {small4, small8, large8, large32, huge32},
            {large32, png256},
        };
        auto groups = [&](int count, int seed, bool pngAllowed) {
            std::vector<IconGroupSpec> out;
            for (int g = 0; g < count; ++g) {
                const std::size_t kinds = pngAllowed ? groupKinds.size() : groupKinds.size() - 1;
                out.push_back({groupKinds[std::size_t(seed + g) % kinds], {}, {}});
            }
            return out;
        };

        for (int i = 0; i < fileCount; ++i) {
            const std::string number = std::to_string(i);
            switch (i % 10) {
                case 0:
                case 1:
                case 2:
                case 3:
                case 4: {
                    // Libraries: one file in fifty holds 120 icons, the others 1 to 12.
                    const int count = i % 50 == 0 ? 120 : 1 + (i * 7) % 12;
                    write("library" + number + ".dll",
                          makePe(groups(count, i, true), i % 2 ? PeKind::Pe32Plus : PeKind::Pe32),
                          count, 0);
                    break;
                }
                case 5:
                case 6: {
                    const int count = 1 + i % 3;
                    write("program" + number + ".exe", makePe(groups(count, i, true)), count, 0);
                    break;
                }
                case 7:
                case 8: {
                    // Icon files of 2 to 5 images.
                    std::vector<IconImage> images;
                    const auto& kind = groupKinds[std::size_t(i) % groupKinds.size()];
                    for (int k = 0; k < 2 + i % 4; ++k)
                        images.push_back(kind[std::size_t(k) % kind.size()]);
                    write("icon" + number + ".ico", makeIco(images), 0, int(images.size()));
                    break;
                }
                default:
                    if (i % 20 == 9) {
                        const int count = 8 + i % 16;
                        write("library" + number + ".icl", makeNe(groups(count, i, false)), count,
                              0);
                    } else {
                        write("plain" + number + ".dll", makePe({}), 0, 0);
                    }
                    break;
            }
        }
    }
    ~SampleFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    SampleFolder(const SampleFolder&) = delete;
    SampleFolder& operator=(const SampleFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    int fileCount() const { return files_; }
    // Icon groups in the libraries, programs and icon libraries.
    int iconGroups() const { return groups_; }
    int icoFiles() const { return icoFiles_; }
    int icoImages() const { return icoImages_; }
    // Files that hold no icon at all.
    int filesWithoutIcons() const { return empty_; }

  private:
    void write(const std::string& name, const fixtures::Bytes& bytes, int groups, int images) {
        std::ofstream out(path_ / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out) throw std::runtime_error("cannot write the sample file " + name);
        ++files_;
        groups_ += groups;
        if (images > 0) {
            ++icoFiles_;
            icoImages_ += images;
        }
        if (groups == 0 && images == 0) ++empty_;
    }

    std::filesystem::path path_;
    int files_ = 0;
    int groups_ = 0;
    int icoFiles_ = 0;
    int icoImages_ = 0;
    int empty_ = 0;
};

}  // namespace pellimar::bench
