// Scan a Folder, measured: rows per second of the whole command as the user runs
// it (folder dialog, Import options confirmed with every kind and no limit, walk,
// icon reading, 32 x 32 row pictures, rows); reading the same files whole in the
// same process, as the floor any scan stands on; and the memory one row costs
// with 100,000 rows in the list.
//
//   bench_scan_bench [--folder=DIR] [--no-sample-files] [benchmark options]
//
// DIR defaults to /usr/lib/x86_64-linux-gnu/wine/x86_64-windows. When it holds no
// file a scan takes, a folder of generated files is scanned instead (and every
// icon in it must come out as a row), unless --no-sample-files is given. The
// folder used is shown in the report's heading.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "acquire/folder_scan.h"
#include "acquire/import_options_dialog.h"
#include "acquire/row_reader.h"
#include "app/main_window.h"
#include "app/result_list.h"
#include "core/folder_walk.h"
#include "core/icon_image.h"
#include "core/paths.h"
#include "core/settings.h"
#include "large_list.h"
#include "sample_folder.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "work_check.h"

namespace {

namespace fs = std::filesystem;
using pellimar::AppSettings;
using pellimar::ImportOptionsDialog;
using pellimar::MainWindow;
using pellimar::bench::countWork;
using pellimar::bench::expectCount;
using pellimar::bench::failRun;
using pellimar::test::ScriptedDesktop;

fs::path g_folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
// The rows a scan of g_folder must add; -1 when not known (a real folder).
long long g_expectedRows = -1;

const pellimar::FileKinds kAllKinds{true, true, true, true};

// Runs the scan the window started to its end.
void waitForScan(MainWindow& window) {
    while (window.backgroundWorkRunning())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    QApplication::processEvents();
}

std::vector<fs::path> scanFiles() {
    return pellimar::gatherScanFiles(g_folder, kAllKinds, true);
}

// Answers the Import options dialog as a user who wants everything would: every
// file kind ticked, "No limit." chosen, OK.
int confirmEverything(QDialog& dialog) {
    auto& options = static_cast<ImportOptionsDialog&>(dialog);
    options.showCurrentSettings();
    for (QCheckBox* box : {options.exeBox, options.dllBox, options.icoBox, options.iclBox})
        box->setChecked(true);
    options.noLimitButton->setChecked(true);
    options.confirm();
    return options.result();
}

// One Scan a Folder command of `folder` per iteration, into a list cleared by the
// scan itself; `expectedRows` the rows each must add (-1: not known).
void scanRuns(benchmark::State& state, const fs::path& folder, long long expectedRows) {
    ScriptedDesktop desktop;
    MainWindow window(desktop);
    AppSettings& settings = window.settings();
    settings.searchSubfolders = true;
    settings.clearResult = true;
    window.setImportOptionsDialog(new ImportOptionsDialog(settings, desktop, &window));

    const auto files = pellimar::gatherScanFiles(folder, kAllKinds, true);
    const long long bytes =
        pellimar::bench::readFilesWhole(files);  // the page cache is warm for every iteration

    long long rowsAdded = 0;
    int fewestRows = -1;
    for (auto _ : state) {
        desktop.folderAnswers.push_back(folder);
        desktop.modalScripts.push_back(confirmEverything);
        window.scanFolder();
        waitForScan(window);
        const int rows = window.rowCount();
        rowsAdded += rows;
        if (fewestRows < 0 || rows < fewestRows) fewestRows = rows;
    }
    if (!desktop.errors.empty()) failRun(state, "the scan reported: " + desktop.errors.front());
    if (!desktop.messages.empty())
        failRun(state, "the scan said: " + desktop.messages.front().text);
    if (!desktop.modalScripts.empty()) failRun(state, "the Import options dialog was never shown");
    if (settings.importLimit != 0 || !settings.importIcl)
        failRun(state, "the import options were not taken");

    countWork(state, "files", double(files.size()));
    countWork(state, "MB", double(bytes) / 1e6);
    // The fewest rows any one scan added: a single empty scan fails the run.
    countWork(state, "rows", double(fewestRows));
    if (expectedRows >= 0) expectCount(state, "rows added by a scan", fewestRows, expectedRows);
    state.counters["rows/s"] = benchmark::Counter(double(rowsAdded), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(std::int64_t(bytes * state.iterations()));
}
// One Scan a Folder command per iteration, into a list cleared by the scan itself.
void ScanCommand(benchmark::State& state) {
    scanRuns(state, g_folder, g_expectedRows);
}
BENCHMARK(ScanCommand)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

// A scan of one library of 65,535 icon groups that all name one image of N x N
// pixels (32 bits with alpha): every row's picture is brought from N to 32
// pixels. The figure is the CPU time of the whole process, every thread.
void ScanOneImageGroups(benchmark::State& state) {
    using namespace pellimar::fixtures;
    const int side = int(state.range(0));
    TempDir dir;
    dir.write("groups.dll",
              makeSharedGroupPe(0xFFFF, 1, dibImage(alphaPatternIcon(side, side), 32)));
    scanRuns(state, dir.path(), 0xFFFF);
}
BENCHMARK(ScanOneImageGroups)
    ->Arg(16)
    ->Arg(48)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->MeasureProcessCPUTime();

// The same files read whole in this process, nothing decoded.
void ReadScanFilesWhole(benchmark::State& state) {
    const auto files = scanFiles();
    long long bytes = 0;
    for (auto _ : state) bytes += pellimar::bench::readFilesWhole(files);
    countWork(state, "files", double(files.size()));
    countWork(state, "MB", double(bytes) / 1e6, benchmark::Counter::kAvgIterations);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(ReadScanFilesWhole)->Unit(benchmark::kMillisecond)->UseRealTime();

std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::size_t residentBytes() {
    long pages = 0, resident = 0;
    std::FILE* f = std::fopen("/proc/self/statm", "r");
    if (f == nullptr) return 0;
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
    return std::size_t(resident) * std::size_t(::sysconf(_SC_PAGESIZE));
}

// N rows, each with its own 32 x 32 picture, made as a scan makes them (rowPicture
// off the list, then handed over in batches of 256): rows per second, heap and
// resident bytes per row with N rows in the list, and what Clear All gives back.
void MemoryPerRow(benchmark::State& state) {
    const int rowsWanted = int(state.range(0));
    ScriptedDesktop desktop;
    for (auto _ : state) {
        state.PauseTiming();
        MainWindow window(desktop);
        QApplication::processEvents();
        pellimar::Icon icon;
        icon.width = icon.height = 32;
        icon.color.assign(32 * 32, 0xFF336699u);
        icon.mask.assign(32 * 32, 0);
        const fs::path source = g_folder / "library.dll";
        malloc_trim(0);
        const std::size_t heap0 = heapInUse();
        const std::size_t rss0 = residentBytes();
        state.ResumeTiming();

        std::vector<pellimar::PreparedRow> batch;
        for (int i = 0; i < rowsWanted; ++i) {
            icon.color[std::size_t(i) % icon.color.size()] = std::uint32_t(i) | 0xFF000000u;
            batch.push_back({pellimar::rowPicture(icon), source, i % 300});
            if (batch.size() == 256 || i + 1 == rowsWanted) {
                window.findChild<pellimar::ResultList*>("resultList")->addRows(batch);
                batch.clear();
            }
        }
        QApplication::processEvents();

        state.PauseTiming();
        const std::size_t heap1 = heapInUse();
        const std::size_t rss1 = residentBytes();
        const int rows = window.rowCount();
        window.clearAll();
        QApplication::processEvents();
        const std::size_t rss2 = residentBytes();
        countWork(state, "rows", rows);
        expectCount(state, "rows in the list", rows, rowsWanted);
        const double heapPerRow = (double(heap1) - double(heap0)) / rowsWanted;
        state.counters["heap_B/row"] = heapPerRow;
        state.counters["rss_B/row"] = (double(rss1) - double(rss0)) / rowsWanted;
        state.counters["above_picture_B/row"] = heapPerRow - 32 * 32 * 4;
        state.counters["rss_before_MB"] = double(rss0) / 1e6;
        state.counters["rss_full_MB"] = double(rss1) / 1e6;
        state.counters["rss_cleared_MB"] = double(rss2) / 1e6;
        if (!(heapPerRow > 0)) failRun(state, "the rows took no heap: nothing was measured");
        state.ResumeTiming();
    }
    state.counters["rows/s"] = benchmark::Counter(double(rowsWanted) * double(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(MemoryPerRow)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

// The largest list: 393,210 rows read from six libraries of 65,535 one-image
// groups through the window's command line. What the window holds a row once they
// are in (heap and resident bytes, from before the first file was read), and the
// time the reading took.
void LargeListMemory(benchmark::State& state) {
    pellimar::bench::LargeListFiles files;
    ScriptedDesktop desktop;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<MainWindow>(desktop);
        QApplication::processEvents();
        malloc_trim(0);
        const std::size_t heap0 = pellimar::bench::heapInUse();
        const std::size_t rss0 = pellimar::bench::residentBytes();
        state.ResumeTiming();
        pellimar::bench::openLargeList(*window, files);
        state.PauseTiming();
        malloc_trim(0);
        const std::size_t heap1 = pellimar::bench::heapInUse();
        const std::size_t rss1 = pellimar::bench::residentBytes();
        const int rows = std::max(window->rowCount(), 1);
        state.counters["heap_B/row"] = (double(heap1) - double(heap0)) / rows;
        state.counters["rss_B/row"] = (double(rss1) - double(rss0)) / rows;
        state.counters["rss_list_MB"] = double(rss1) / 1e6;
        const std::string said = desktop.messages.empty() ? "" : desktop.messages[0].text;
        window.reset();
        state.ResumeTiming();
        // Checked with the timing running: a failed run must not resume it.
        expectCount(state, "rows in the list", rows, pellimar::bench::kLargeListRows);
        countWork(state, "rows", rows);
        if (!said.empty()) failRun(state, "the window said: " + said);
    }
}
BENCHMARK(LargeListMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// A folder of many files, one in ten a library with two icons, the rest files of
// the right name without any icon.
class ManyFiles {
  public:
    explicit ManyFiles(int count) {
        using namespace pellimar::fixtures;
        std::string pattern = (fs::temp_directory_path() / "pellimar-bench-many-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
        const Bytes library = makePe({{{dibImage(patternIcon(32, 32, 200), 8)}, {}, {}},
                                      {{dibImage(patternIcon(16, 16, 16), 4)}, {}, {}}});
        const std::string junk(64, 'x');
        for (int i = 0; i < count; ++i) {
            const bool lib = i % 10 == 0;
            const fs::path file = path_ / ("d" + std::to_string(i / 1000)) /
                                  ("f" + std::to_string(i) + (lib ? ".dll" : ".exe"));
            fs::create_directories(file.parent_path());
            std::ofstream out(file, std::ios::binary);
            if (lib) {
                out.write(reinterpret_cast<const char*>(library.data()),
                          std::streamsize(library.size()));
                icons_ += 2;
            } else {
                out << junk;
            }
        }
    }
    ~ManyFiles() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    int icons() const { return icons_; }

  private:
    fs::path path_;
    int icons_ = 0;
};

// A scan of 50,000 files through the main window while a 1 ms timer measures how
// long the event loop goes without turning; the rows must equal those of the same
// scan run on one thread, in the same order.
void ScanEventLoopStall(benchmark::State& state) {
    const int fileCount = int(state.range(0));
    ManyFiles folder(fileCount);
    ScriptedDesktop desktop;
    MainWindow window(desktop);
    AppSettings& settings = window.settings();
    settings.searchSubfolders = true;
    settings.clearResult = true;
    window.setImportOptionsDialog(new ImportOptionsDialog(settings, desktop, &window));

    // The same scan, one thread, no window.
    std::vector<std::pair<std::string, int>> expected;
    {
        AppSettings all;
        all.importLimit = 0;
        const auto files = pellimar::gatherScanFiles(folder.path(), kAllKinds, true);
        pellimar::ScanCallbacks plain{pellimar::readFileRows,
                                      [&](const fs::path& file, int n, const pellimar::RowIcon&) {
                                          expected.emplace_back(file.native(), n);
                                      },
                                      [&] { expected.clear(); },
                                      nullptr,
                                      {}};
        pellimar::runFolderScan(files, all, plain);
    }

    double longestStallMs = 0;
    for (auto _ : state) {
        QElapsedTimer sinceLastTurn;
        sinceLastTurn.start();
        double longest = 0;
        QTimer tick;
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            longest = std::max(longest, double(sinceLastTurn.nsecsElapsed()) / 1e6);
            sinceLastTurn.restart();
        });
        desktop.folderAnswers.push_back(folder.path());
        desktop.modalScripts.push_back(confirmEverything);
        tick.start();
        window.scanFolder();
        waitForScan(window);
        tick.stop();
        longestStallMs = std::max(longestStallMs, longest);
    }
    std::vector<std::pair<std::string, int>> got;
    for (const auto& row : window.rows()) got.emplace_back(row.source.native(), row.iconPosition);
    countWork(state, "rows", double(got.size()));
    expectCount(state, "rows of the scan", double(got.size()), folder.icons());
    if (got != expected) failRun(state, "the rows differ from the same scan on one thread");
    countWork(state, "files", fileCount);
    state.counters["longest_stall_ms"] = longestStallMs;
}
BENCHMARK(ScanEventLoopStall)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (auto folder = pellimar::bench::takeOption(argc, argv, "folder")) g_folder = *folder;
    const bool samplesAllowed = !pellimar::bench::takeFlag(argc, argv, "no-sample-files");
    pellimar::bench::initialize(argc, argv);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    // setup.ini, which the Import options dialog writes, goes to a scratch folder.
    char pattern[] = "/tmp/pellimar-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 1;
    const fs::path settingsDir = pattern;
    pellimar::setProgramDir(settingsDir);

    std::unique_ptr<pellimar::bench::SampleFolder> samples;
    std::string folderNote = "given";
    if (scanFiles().empty() && samplesAllowed) {
        std::fprintf(stderr, "%s holds no file to scan; generating sample files\n",
                     g_folder.c_str());
        samples = std::make_unique<pellimar::bench::SampleFolder>();
        g_folder = samples->path();
        g_expectedRows = samples->iconGroups() + samples->icoImages();
        folderNote = "generated: " + std::to_string(samples->fileCount()) + " files, " +
                     std::to_string(g_expectedRows) + " icons, " +
                     std::to_string(samples->filesWithoutIcons()) + " files without icons";
    }
    benchmark::AddCustomContext("scan folder", g_folder.string() + " (" + folderNote + ")");

    const int status = pellimar::bench::runAndCheck();
    samples.reset();
    std::error_code ec;
    fs::remove_all(settingsDir, ec);
    return status;
}
