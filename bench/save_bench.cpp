// Icons saved per second by the save command, per format, for 1,000 selected
// rows; and ImageMagick's convert doing the same conversion of the same icons in
// one process (flattened on white for BMP and JPEG, as the program draws them).
//   bench_save_bench [--windows DIR] [--icons DIR]
// With --windows, the rows are the icons of the .exe and .dll files under DIR, read
// by the program's own extraction while saving; convert gets the same icons as
// 32 x 32 PNG files written beforehand. Otherwise the rows are PNG theme icons
// (default /usr/share/icons), decoded by Qt while saving.
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
QString gWindowsRoot;

struct Corpus {
    std::vector<SaveRow> rows;      // kRows rows
    std::vector<std::string> pngs;  // the same icons as 32 x 32 PNG files, for convert
    bool windows = !gWindowsRoot.isEmpty();
    fs::path out = fs::temp_directory_path() / "pellimar-save-bench";
    fs::path pngDir = fs::temp_directory_path() / "pellimar-save-bench-png";
    Corpus() {
        if (windows) {
            auto icons = bench::loadWindowsIcons(gWindowsRoot, 32, kRows);
            fs::create_directories(pngDir);
            for (std::size_t i = 0; i < icons.size(); ++i) {
                const Icon& icon = icons[i].icon;
                QImage img(icon.width, icon.height, QImage::Format_ARGB32);
                for (int y = 0; y < icon.height; ++y)
                    for (int x = 0; x < icon.width; ++x) {
                        std::uint32_t c = icon.pixel(x, y);
                        if (!icon.hasAlpha) c = icon.maskBit(x, y) ? 0 : (c | 0xFF000000);
                        img.setPixel(x, y, c);
                    }
                std::string png = (pngDir / ("icon" + std::to_string(i) + ".png")).string();
                img.save(QString::fromStdString(png));
                pngs.push_back(png);
            }
            for (int i = 0; i < kRows && !icons.empty(); ++i) {
                const auto& w = icons[std::size_t(i) % icons.size()];
                rows.push_back({w.file, w.index, true});
            }
        } else {
            for (auto& [path, icon] : bench::loadCorpus(gIconRoot, 32, kRows)) pngs.push_back(path);
        }
        if (!windows)
            for (int i = 0; i < kRows && !pngs.empty(); ++i)
                rows.push_back({pngs[std::size_t(i) % pngs.size()], 0, true});
        for (std::size_t i = pngs.size(); i < std::size_t(kRows) && !pngs.empty(); ++i)
            pngs.push_back(pngs[i % pngs.size()]);
    }
    ~Corpus() { fs::remove_all(pngDir); }
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
    IconServices services = c.windows ? defaultIconServices() : pngServices();
    SaveContext ctx{settings, report, desktop, services};
    for (auto _ : state) {
        state.PauseTiming();
        c.freshOut();
        report.clear();
        state.ResumeTiming();
        saveSelectedRows(c.rows, c.out / (std::string("pic.") + ext), ctx);
    }
    // Monochrome icons have no colour image and give no .ico file.
    state.counters["files"] = double(report.files().size());
    state.SetItemsProcessed(state.iterations() * kRows);
}

void convertSave(benchmark::State& state, const char* ext) {
    Corpus& c = corpus();
    if (c.rows.empty() || std::system("command -v convert >/dev/null 2>&1") != 0) {
        state.SkipWithError("no icons or no convert");
        return;
    }
    std::string command = "convert";
    for (const std::string& png : c.pngs) command += " '" + png + "'";
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
        if (std::string(argv[i]) == "--icons")
            gIconRoot = argv[i + 1];
        else if (std::string(argv[i]) == "--windows")
            gWindowsRoot = argv[i + 1];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(corpus().out);
    return 0;
}
