// Save All of 1,500 rows to a folder on disk, every file durable (synced before it
// takes its name, the folder synced after), as the window saves them: the rows of
// one generated library of 1,500 icons, each saved as a 32 x 32 BMP. Prints the
// median wall time of alternating fresh runs and checks the files: as many as
// rows, each a whole BMP.
//
//   bench_durable_save [FOLDER] [RUNS]   (FOLDER defaults to /var/tmp; RUNS to 5)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "export/save_command.h"
#include "support/fixtures.h"

using namespace pellimar;
namespace fs = std::filesystem;
namespace fx = pellimar::fixtures;

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::path("/var/tmp");
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    constexpr int kRows = 1500;
    const fs::path work = base / "pellimar-durable-save";
    fs::remove_all(work);
    fs::create_directories(work);
    std::vector<fx::IconGroupSpec> groups(kRows);
    for (int i = 0; i < kRows; ++i)
        groups[std::size_t(i)].images = {fx::dibImage(fx::patternIcon(32, 32, 16), 4)};
    const fs::path lib = work / "many.dll";
    {
        const fx::Bytes bytes = fx::makePe(groups);
        std::FILE* f = std::fopen(lib.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    std::vector<SaveRow> rows;
    for (int i = 0; i < kRows; ++i) rows.push_back({lib, i, true});
    AppSettings settings;
    settings.saveSize128 = settings.saveSize64 = settings.saveSize48 = settings.saveSize16 = false;
    settings.saveSize32 = true;

    std::vector<double> seconds;
    for (int run = 0; run < runs; ++run) {
        // Each run into a folder of its own: removing the last run's files first
        // would leave the file system busy discarding their blocks, which slows
        // the next run's creating files more than anything the save does.
        const fs::path out = work / ("out-" + std::to_string(run));
        fs::create_directories(out);
        ::sync();  // each run starts with nothing else to flush
        SaveReport report;
        SaveContext ctx{settings, report, {}, {}};
        const auto start = std::chrono::steady_clock::now();
        saveSelectedRows(rows, out / "pic.bmp", ctx);
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        std::size_t files = 0, whole = 0;
        for (const auto& e : fs::directory_iterator(out)) {
            ++files;
            whole += e.file_size() == 54 + 32 * 32 * 3 ? 1 : 0;
        }
        if (files != std::size_t(kRows) || whole != files || report.failureCount() > 0 ||
            report.stopped()) {
            std::fprintf(stderr, "run %d: %zu files, %zu whole, %zu failures %s\n", run, files,
                         whole, report.failureCount(),
                         report.stopped() ? problemText(*report.stopReason()).c_str() : "");
            return 1;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf(
        "Save All of %d rows as BMP, synced, into %s: median %.3f s (min %.3f, max %.3f, "
        "%d runs)\n",
        kRows, work.c_str(), seconds[seconds.size() / 2], seconds.front(), seconds.back(), runs);
    fs::remove_all(work);
    return 0;
}
