// How fast icons come out of real Windows files: every icon of every file in a
// folder at 32 x 32. The folder is $PELLIMAR_BENCH_DIR, by default the Windows
// programs and libraries of Debian's wine64 package. Reading the same files whole
// (what `cat` does) is measured alongside as the yardstick.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/extract.h"
#include "platform/icon_resources.h"

namespace {

namespace fs = std::filesystem;
using pellimar::IconFile;

const std::vector<fs::path>& benchFiles() {
    static const std::vector<fs::path> files = [] {
        const char* dir = std::getenv("PELLIMAR_BENCH_DIR");
        fs::path folder = dir ? dir : "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
        std::vector<fs::path> found;
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(folder, ec))
            if (entry.is_regular_file()) found.push_back(entry.path());
        return found;
    }();
    return files;
}

void setRates(benchmark::State& state, std::int64_t files, std::int64_t icons, std::int64_t bytes) {
    state.counters["files/s"] = benchmark::Counter(double(files), benchmark::Counter::kIsRate);
    state.counters["icons/s"] = benchmark::Counter(double(icons), benchmark::Counter::kIsRate);
    state.counters["icons"] = benchmark::Counter(double(icons) / double(state.iterations()));
    if (bytes) state.SetBytesProcessed(bytes);
}

// Every icon of every file, each file opened once.
void ExtractEveryIcon32(benchmark::State& state) {
    const auto& files = benchFiles();
    if (files.empty()) state.SkipWithError("no files in the folder");
    std::int64_t fileCount = 0, iconCount = 0;
    for (auto _ : state) {
        for (const auto& path : files) {
            auto file = IconFile::open(path);
            ++fileCount;
            if (!file) continue;
            const auto& res = file->resources();
            for (int i = 0; i < res.iconCount(); ++i) {
                auto icon = res.icon(i, 32);
                benchmark::DoNotOptimize(icon.color.data());
                ++iconCount;
            }
        }
    }
    setRates(state, fileCount, iconCount, 0);
}
BENCHMARK(ExtractEveryIcon32)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same through extractIcon, one call per icon until it gives nothing, as the
// import and scan loops do.
void ExtractIconLoop32(benchmark::State& state) {
    const auto& files = benchFiles();
    std::int64_t fileCount = 0, iconCount = 0;
    for (auto _ : state) {
        for (const auto& path : files) {
            ++fileCount;
            for (int i = 0;; ++i) {
                auto icon = pellimar::extractIcon(path, i, 32);
                if (icon.empty()) break;
                ++iconCount;
            }
        }
    }
    setRates(state, fileCount, iconCount, 0);
}
BENCHMARK(ExtractIconLoop32)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading every file whole into a buffer and dropping it: what `cat > /dev/null` costs.
void ReadWholeFiles(benchmark::State& state) {
    const auto& files = benchFiles();
    std::vector<char> buffer(1 << 17);
    std::int64_t fileCount = 0, bytes = 0;
    for (auto _ : state) {
        for (const auto& path : files) {
            int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            ssize_t n;
            while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) bytes += n;
            ::close(fd);
            ++fileCount;
        }
    }
    setRates(state, fileCount, 0, bytes);
}
BENCHMARK(ReadWholeFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
