// Scan a Folder, measured: rows per second of the whole command (walk, icon
// reading, 32 x 32 row pictures, rows), set against `cat` reading the same files
// in the same run; and the memory one row costs with 100,000 rows in the list.
//
//   bench_scan_bench [--folder=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows]
//                    [benchmark options]
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "acquire/folder_walk.h"
#include "acquire/import_options_dialog.h"
#include "app/main_window.h"
#include "core/paths.h"
#include "core/settings.h"
#include "support/scripted_desktop.h"

namespace {
namespace fs = std::filesystem;
using pellimar::AppSettings;
using pellimar::ImportOptionsDialog;
using pellimar::MainWindow;
using pellimar::test::ScriptedDesktop;

fs::path g_folder = "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
fs::path g_settingsDir;

// Seconds `cat` needs to read every file the scan takes, all in one go.
double catSeconds(const std::vector<fs::path>& files) {
    const fs::path listFile = g_settingsDir / "files.txt";
    {
        std::ofstream out(listFile, std::ios::binary);
        for (const auto& f : files) out << f.native() << '\0';
    }
    const std::string command = "xargs -0 cat < '" + listFile.string() + "' > /dev/null";
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void prepareSettings(AppSettings& s) {
    s.format_exe = s.format_dll = s.format_ico = s.format_icl = true;
    s.max_units = 0;
    s.searchchildfolder = true;
    s.clearResult = true;
}

// One Scan a Folder command as the user runs it: folder dialog, Import options
// confirmed with no limit, every icon of the tree into the list.
void BM_ScanCommand(benchmark::State& state) {
    AppSettings& s = pellimar::settings();
    prepareSettings(s);
    ScriptedDesktop desktop;
    MainWindow form(desktop);
    ImportOptionsDialog options(s, desktop, &form);

    const auto files = pellimar::gatherScanFiles(g_folder, pellimar::fileKindsOf(s), true);
    std::uintmax_t bytes = 0;
    for (const auto& f : files) {
        std::error_code ec;
        const auto size = fs::file_size(f, ec);
        if (!ec) bytes += size;
    }
    double catTotal = 0;
    int runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        catTotal += catSeconds(files);  // also warms the page cache for the scan
        ++runs;
        desktop.folderAnswers.push_back(g_folder);
        desktop.modalScripts.push_back([](QDialog& d) {
            auto& f = static_cast<ImportOptionsDialog&>(d);
            f.showCurrentSettings();
            f.confirm();
            return f.result();
        });
        state.ResumeTiming();
        form.scanFolder();
    }
    const int rows = form.rowCount();
    state.counters["files"] = double(files.size());
    state.counters["MB"] = double(bytes) / 1e6;
    state.counters["rows"] = rows;
    state.counters["rows/s"] =
        benchmark::Counter(double(rows) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["files/s"] = benchmark::Counter(
        double(files.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["cat_s"] = catTotal / runs;  // per run, the same files
}
BENCHMARK(BM_ScanCommand)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

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
void BM_MemoryPerRow(benchmark::State& state) {
    constexpr int kRows = 100000;
    ScriptedDesktop desktop;
    for (auto _ : state) {
        MainWindow form(desktop);
        QApplication::processEvents();
        pellimar::Icon icon;
        icon.width = icon.height = 32;
        icon.color.assign(32 * 32, 0xFF336699u);
        icon.mask.assign(32 * 32, 0);
        const fs::path source = g_folder / "shell32.dll";
        malloc_trim(0);
        const std::size_t heap0 = heapInUse();
        const std::size_t rss0 = residentBytes();
        for (int i = 0; i < kRows; ++i) {
            icon.color[std::size_t(i) % icon.color.size()] = std::uint32_t(i);
            form.addRow(icon, source, i % 300);
        }
        QApplication::processEvents();
        const std::size_t heap1 = heapInUse();
        const std::size_t rss1 = residentBytes();
        state.counters["rows"] = form.rowCount();
        state.counters["heap_B/row"] = double(heap1 - heap0) / kRows;
        state.counters["rss_B/row"] = double(rss1 - rss0) / kRows;
        state.counters["above_picture_B/row"] = double(heap1 - heap0) / kRows - 32 * 32 * 4;
    }
}
BENCHMARK(BM_MemoryPerRow)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--folder=", 9) == 0) g_folder = argv[i] + 9;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    char pattern[] = "/tmp/pellimar-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return 1;
    g_settingsDir = pattern;
    pellimar::setProgramDir(g_settingsDir);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code ec;
    fs::remove_all(g_settingsDir, ec);
    return 0;
}
