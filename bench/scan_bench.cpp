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
#include <QRadioButton>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "acquire/folder_walk.h"
#include "acquire/import_options_dialog.h"
#include "app/main_window.h"
#include "core/paths.h"
#include "core/settings.h"
#include "sample_folder.h"
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

// One Scan a Folder command per iteration, into a list cleared by the scan itself.
void ScanCommand(benchmark::State& state) {
    ScriptedDesktop desktop;
    MainWindow window(desktop);
    AppSettings& settings = window.settings();
    settings.searchchildfolder = true;
    settings.clearResult = true;
    window.setImportOptionsDialog(new ImportOptionsDialog(settings, desktop, &window));

    const auto files = scanFiles();
    const long long bytes =
        pellimar::bench::readFilesWhole(files);  // the page cache is warm for every iteration

    long long rowsAdded = 0;
    int fewestRows = -1;
    for (auto _ : state) {
        desktop.folderAnswers.push_back(g_folder);
        desktop.modalScripts.push_back(confirmEverything);
        window.scanFolder();
        const int rows = window.rowCount();
        rowsAdded += rows;
        if (fewestRows < 0 || rows < fewestRows) fewestRows = rows;
    }
    if (!desktop.errors.empty()) failRun(state, "the scan reported: " + desktop.errors.front());
    if (!desktop.messages.empty())
        failRun(state, "the scan said: " + desktop.messages.front().text);
    if (!desktop.modalScripts.empty()) failRun(state, "the Import options dialog was never shown");
    if (settings.max_units != 0 || !settings.format_icl)
        failRun(state, "the import options were not taken");

    countWork(state, "files", double(files.size()));
    countWork(state, "MB", double(bytes) / 1e6);
    // The fewest rows any one scan added: a single empty scan fails the run.
    countWork(state, "rows", double(fewestRows));
    if (g_expectedRows >= 0) expectCount(state, "rows added by a scan", fewestRows, g_expectedRows);
    state.counters["rows/s"] = benchmark::Counter(double(rowsAdded), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(std::int64_t(bytes * state.iterations()));
}
BENCHMARK(ScanCommand)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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

// 100,000 rows, each with its own 32 x 32 picture, through the main window's row adder.
void MemoryPerRow(benchmark::State& state) {
    constexpr int kRows = 100000;
    ScriptedDesktop desktop;
    for (auto _ : state) {
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
        for (int i = 0; i < kRows; ++i) {
            icon.color[std::size_t(i) % icon.color.size()] = std::uint32_t(i);
            window.addRow(icon, source, i % 300);
        }
        QApplication::processEvents();
        const std::size_t heap1 = heapInUse();
        const std::size_t rss1 = residentBytes();
        const int rows = window.rowCount();
        countWork(state, "rows", rows);
        expectCount(state, "rows in the list", rows, kRows);
        const double heapPerRow = (double(heap1) - double(heap0)) / kRows;
        state.counters["heap_B/row"] = heapPerRow;
        state.counters["rss_B/row"] = (double(rss1) - double(rss0)) / kRows;
        state.counters["above_picture_B/row"] = heapPerRow - 32 * 32 * 4;
        if (!(heapPerRow > 0)) failRun(state, "the rows took no heap: nothing was measured");
    }
}
BENCHMARK(MemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

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
