// The largest list the window is measured with: six libraries of 65,535 icon
// groups of one image each (all naming the one 32 x 32 image the file holds),
// 393,210 rows, read into a window through its command line as `pellimar FILE...`
// does; and the process's memory as the system and the heap see it.
#pragma once

#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "support/fixtures.h"

namespace pellimar::bench {

inline constexpr int kLargeListFiles = 6;
inline constexpr int kGroupsPerFile = 65535;
inline constexpr int kLargeListRows = kLargeListFiles * kGroupsPerFile;

class LargeListFiles {
  public:
    LargeListFiles() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "pellimar-bench-large-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a folder for the large list's files");
        path_ = pattern;
        const fixtures::Bytes library = fixtures::makeSharedGroupPe(kGroupsPerFile, 1);
        for (int i = 0; i < kLargeListFiles; ++i) {
            const std::filesystem::path file = path_ / ("groups" + std::to_string(i) + ".dll");
            std::ofstream out(file, std::ios::binary);
            out.write(reinterpret_cast<const char*>(library.data()),
                      std::streamsize(library.size()));
            if (!out) throw std::runtime_error("cannot write " + file.string());
            files_.push_back(file);
        }
    }
    ~LargeListFiles() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    LargeListFiles(const LargeListFiles&) = delete;
    LargeListFiles& operator=(const LargeListFiles&) = delete;

    const std::filesystem::path& path() const { return path_; }
    const std::vector<std::filesystem::path>& files() const { return files_; }

  private:
    std::filesystem::path path_;
    std::vector<std::filesystem::path> files_;
};

// Reads the files into `window` as its command line does, and waits for the end.
inline void openLargeList(MainWindow& window, const LargeListFiles& files) {
    window.settings().clearResult = false;
    window.openPaths(files.files());
    while (window.backgroundWorkRunning())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QApplication::processEvents();
}

inline std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// Resident bytes now, or (`peak`) the most since the last resetPeakResident().
inline std::size_t residentBytes(bool peak = false) {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (f == nullptr) return 0;
    char line[256];
    std::size_t kb = 0;
    const char* key = peak ? "VmHWM:" : "VmRSS:";
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, std::strlen(key)) == 0)
            kb = std::strtoull(line + std::strlen(key), nullptr, 10);
    std::fclose(f);
    return kb * 1024;
}

// Starts the peak of residentBytes(true) afresh from what is resident now.
inline bool resetPeakResident() {
    std::FILE* f = std::fopen("/proc/self/clear_refs", "w");
    if (f == nullptr) return false;
    const bool done = std::fputs("5", f) >= 0;
    std::fclose(f);
    return done;
}

}  // namespace pellimar::bench
