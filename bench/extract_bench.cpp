// How fast icons come out of Windows files: every icon of every file in a folder
// at 32 x 32, two ways; every stored image of every file loaded; and reading the same files whole
// in the same process (what `cat` does), as the floor. files/s counts only the files that gave at
// least one icon; the files that gave none are counted apart.
//
//   bench_extract_bench [--folder=DIR] [--no-sample-files] [benchmark options]
//
// DIR defaults to $PELLIMAR_BENCH_DIR, else the Windows programs and libraries of
// Debian's wine64 package. When it holds no file, a folder of generated files is
// read instead (and every icon in it must come out), unless --no-sample-files is
// given. The folder used is shown in the report's heading.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/icon_set.h"
#include "platform/image_choice.h"
#include "sample_folder.h"
#include "work_check.h"

namespace {

namespace fs = std::filesystem;
using pellimar::IconSet;
using pellimar::bench::countWork;
using pellimar::bench::expectCount;

std::vector<fs::path> g_files;
// The icons one pass over g_files must give; -1 when not known (a real folder).
long long g_expectedIcons = -1;

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) found.push_back(entry.path());
    return found;
}

// Counts per pass over the files.
struct Tally {
    long long icons = 0;
    long long filesWithIcons = 0;
    long long filesWithout = 0;
    long long passes = 0;
    void addFile(long long iconsOfFile) {
        icons += iconsOfFile;
        ++(iconsOfFile > 0 ? filesWithIcons : filesWithout);
    }
};

void report(benchmark::State& state, const Tally& t) {
    using benchmark::Counter;
    countWork(state, "icons", double(t.icons), Counter::kAvgIterations);
    countWork(state, "files_with_icons", double(t.filesWithIcons), Counter::kAvgIterations);
    state.counters["files_without_icons"] =
        Counter(double(t.filesWithout), Counter::kAvgIterations);
    state.counters["files/s"] = Counter(double(t.filesWithIcons), Counter::kIsRate);
    state.counters["icons/s"] = Counter(double(t.icons), Counter::kIsRate);
    if (g_expectedIcons >= 0 && t.passes > 0)
        expectCount(state, "icons per pass", t.icons / t.passes, g_expectedIcons);
}

// Every icon of every file, each file opened once.
void ExtractEveryIcon32(benchmark::State& state) {
    Tally tally;
    for (auto _ : state) {
        for (const auto& path : g_files) {
            long long icons = 0;
            if (auto set = IconSet::open(path)) {
                for (int i = 0; i < set->iconCount(); ++i) {
                    auto icon = pellimar::iconAtSize(*set, i, 32);
                    if (!icon) continue;
                    benchmark::DoNotOptimize(icon->color.data());
                    ++icons;
                }
            }
            tally.addFile(icons);
        }
        ++tally.passes;
    }
    report(state, tally);
}
BENCHMARK(ExtractEveryIcon32)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same with the file opened again for each icon, until it has no more, as a
// caller that asks for the icons of a file one by one through its name pays.
void OpenPerIcon32(benchmark::State& state) {
    Tally tally;
    for (auto _ : state) {
        for (const auto& path : g_files) {
            long long icons = 0;
            for (int i = 0;; ++i) {
                auto set = IconSet::open(path);
                if (!set || i >= set->iconCount()) break;
                auto icon = pellimar::iconAtSize(*set, i, 32);
                if (!icon) continue;
                benchmark::DoNotOptimize(icon->color.data());
                ++icons;
            }
            tally.addFile(icons);
        }
        ++tally.passes;
    }
    report(state, tally);
}
BENCHMARK(OpenPerIcon32)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening every file and counting its icons, as a scan does for each file it
// looks at: for a folder of files without icons this is the whole cost.
void OpenAndCountIcons(benchmark::State& state) {
    long long files = 0, icons = 0;
    for (auto _ : state) {
        for (const auto& path : g_files) {
            if (auto set = IconSet::open(path)) icons += set->iconCount();
            ++files;
        }
    }
    countWork(state, "files", double(files), benchmark::Counter::kAvgIterations);
    state.counters["icons"] = benchmark::Counter(double(icons), benchmark::Counter::kAvgIterations);
    state.counters["files/s"] = benchmark::Counter(double(files), benchmark::Counter::kIsRate);
}
BENCHMARK(OpenAndCountIcons)->Unit(benchmark::kMillisecond)->UseRealTime();

// Every stored image of every icon group loaded, as writing them as icon files
// needs: the image bytes held, and the bytes read for them.
void LoadEveryImage(benchmark::State& state) {
    long long images = 0, loaded = 0, bytesRead = 0;
    for (auto _ : state) {
        for (const auto& path : g_files) {
            auto set = IconSet::open(path);
            if (!set) continue;
            set->loadAll();
            for (const auto& group : set->icons())
                for (const auto& image : group.images) {
                    ++images;
                    loaded += image.loaded();
                }
            bytesRead += (long long)set->imageBytesRead();
        }
    }
    using benchmark::Counter;
    countWork(state, "images", double(images), Counter::kAvgIterations);
    countWork(state, "images_loaded", double(loaded), Counter::kAvgIterations);
    state.counters["image_MB_read"] = Counter(double(bytesRead) / 1e6, Counter::kAvgIterations);
    state.SetBytesProcessed(bytesRead);
}
BENCHMARK(LoadEveryImage)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading every file whole into a buffer and dropping it: what `cat > /dev/null` costs.
void ReadWholeFiles(benchmark::State& state) {
    long long files = 0, bytes = 0;
    for (auto _ : state) {
        bytes += pellimar::bench::readFilesWhole(g_files);
        files += (long long)g_files.size();
    }
    countWork(state, "files", double(files), benchmark::Counter::kAvgIterations);
    countWork(state, "MB", double(bytes) / 1e6, benchmark::Counter::kAvgIterations);
    state.counters["files/s"] = benchmark::Counter(double(files), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(ReadWholeFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    const char* fromEnvironment = std::getenv("PELLIMAR_BENCH_DIR");
    fs::path folder =
        fromEnvironment ? fromEnvironment : "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
    if (auto given = pellimar::bench::takeOption(argc, argv, "folder")) folder = *given;
    const bool samplesAllowed = !pellimar::bench::takeFlag(argc, argv, "no-sample-files");
    pellimar::bench::initialize(argc, argv);

    std::unique_ptr<pellimar::bench::SampleFolder> samples;
    std::string folderNote = "given";
    g_files = filesIn(folder);
    if (g_files.empty() && samplesAllowed) {
        std::fprintf(stderr, "%s holds no file; generating sample files\n", folder.c_str());
        samples = std::make_unique<pellimar::bench::SampleFolder>();
        folder = samples->path();
        g_files = filesIn(folder);
        g_expectedIcons = samples->iconGroups() + samples->icoFiles();
        folderNote = "generated: " + std::to_string(samples->fileCount()) + " files, " +
                     std::to_string(g_expectedIcons) + " icons, " +
                     std::to_string(samples->filesWithoutIcons()) + " files without icons";
    }
    benchmark::AddCustomContext("folder", folder.string() + " (" + folderNote + ")");
    return pellimar::bench::runAndCheck();
}
