// Icons saved per second by the save command, per format, for 1,000 selected
// rows; and ImageMagick's convert doing the same conversion of the same icons in
// one process (flattened on white for BMP and JPEG, as the program draws them).
//   bench_save_bench [--icons DIR]   (PNG icons of 32 x 32, default /usr/share/icons)
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "export/save_command.h"
#include "icon_corpus.h"
#include "support/scripted_desktop.h"

using namespace pellimar;
namespace fs = std::filesystem;

namespace {

constexpr int kRows = 1000;
QString gIconRoot = "/usr/share/icons";

struct Corpus {
    std::vector<std::string> files;  // 32 x 32 PNG icons
    std::vector<SaveRow> rows;       // kRows rows cycling through them
    fs::path out = fs::temp_directory_path() / "pellimar-save-bench";
    Corpus() {
        for (auto& [path, icon] : bench::loadCorpus(gIconRoot, 32, kRows)) files.push_back(path);
        for (int i = 0; i < kRows && !files.empty(); ++i)
            rows.push_back({files[std::size_t(i) % files.size()], 0, true});
    }
    void freshOut() {
        fs::remove_all(out);
        fs::create_directories(out);
    }
};

Corpus& corpus() {
    static Corpus c;
    return c;
}

// Each row's icon is read from its file when it is saved, as a save run does.
IconServices pngServices() {
    IconServices s;
    s.extract = [](const fs::path& file, int, int size) {
        QImage img(QString::fromStdString(file.string()));
        if (size != 32) img = img.scaled(size, size);
        return bench::iconFromImage(img);
    };
    return s;
}

void ourSave(benchmark::State& state, const char* ext) {
    Corpus& c = corpus();
    if (c.rows.empty()) {
        state.SkipWithError("no icons found");
        return;
    }
    AppSettings settings;
    settings.size_128 = settings.size_16 = false;
    settings.size_32 = true;
    test::ScriptedDesktop desktop;
    SaveReport report;
    IconServices services = pngServices();
    SaveContext ctx{settings, report, desktop, services};
    for (auto _ : state) {
        state.PauseTiming();
        c.freshOut();
        report.clear();
        state.ResumeTiming();
        SaveSelected(c.rows, c.out / (std::string("pic.") + ext), ctx);
    }
    if (report.files().size() != std::size_t(kRows)) state.SkipWithError("not every row was saved");
    state.SetItemsProcessed(state.iterations() * kRows);
}

void convertSave(benchmark::State& state, const char* ext) {
    Corpus& c = corpus();
    if (c.rows.empty() || std::system("command -v convert >/dev/null 2>&1") != 0) {
        state.SkipWithError("no icons or no convert");
        return;
    }
    std::string command = "convert";
    for (const SaveRow& r : c.rows) command += " '" + r.source.string() + "'";
    if (std::string(ext) != "ico") command += " -background white -alpha remove -alpha off";
    if (std::string(ext) == "jpg") command += " -quality 90";
    command += " +adjoin '" + (c.out / (std::string("pic-%03d.") + ext)).string() + "' 2>/dev/null";
    for (auto _ : state) {
        state.PauseTiming();
        c.freshOut();
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("convert failed");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

}  // namespace

BENCHMARK_CAPTURE(ourSave, ico, "ico")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(convertSave, ico, "ico")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(ourSave, bmp, "bmp")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(convertSave, bmp, "bmp")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK_CAPTURE(ourSave, jpg, "jpg")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(convertSave, jpg, "jpg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--icons") gIconRoot = argv[i + 1];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(corpus().out);
    return 0;
}
