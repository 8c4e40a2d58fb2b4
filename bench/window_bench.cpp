// How the main window keeps up with large lists: switching 300,000 rows to the
// Thumbnail View until they are painted, and the longest the window's event loop
// waits at a time while Save All writes 1,500 rows in the background.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QListView>
#include <QRadioButton>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "app/main_window.h"
#include "app/result_list.h"
#include "core/icon_image.h"
#include "core/paths.h"
#include "export/export_options_dialog.h"
#include "export/report_dialog.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "work_check.h"

namespace {

using namespace pellimar;
using namespace pellimar::fixtures;
namespace fs = std::filesystem;

void ThumbnailViewOfThreeHundredThousandRows(benchmark::State& state) {
    constexpr int kRows = 300000;
    ResultList list;
    list.resize(825, 420);
    QImage picture(32, 32, QImage::Format_ARGB32);
    picture.fill(Qt::darkCyan);
    std::vector<PreparedRow> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i)
        rows.push_back(
            {picture, "/corpus/folder " + std::to_string(i % 997) + "/library.dll", i % 1200});
    list.addRows(rows);
    list.show();
    QApplication::processEvents();
    int shown = 0;
    for (auto _ : state) {
        list.setViewStyle(ResultList::ViewStyle::Thumbnail);
        // Laid out and painted: what a person sees once the switch is over.
        list.iconView()->viewport()->repaint();
        QApplication::processEvents();
        shown = list.iconView()->model()->rowCount();
        state.PauseTiming();
        list.setViewStyle(ResultList::ViewStyle::Detail);
        QApplication::processEvents();
        state.ResumeTiming();
    }
    bench::expectCount(state, "rows", shown, kRows);
    bench::countWork(state, "rows", shown);
}
BENCHMARK(ThumbnailViewOfThreeHundredThousandRows)->Unit(benchmark::kMillisecond)->Iterations(5);

// 1,500 rows: 50 libraries of 30 icons, each of a 32 and a 16 pixel image.
struct SaveCorpus {
    TempDir dir;
    std::vector<fs::path> files;
    SaveCorpus() {
        std::vector<IconGroupSpec> groups;
        for (int k = 0; k < 30; ++k)
            groups.push_back(
                {{dibImage(patternIcon(32, 32, 16 + k), 8), dibImage(patternIcon(16, 16, 16), 4),
                  pngImage(alphaPatternIcon(48, 48))}});
        const Bytes bytes = makePe(groups);
        for (int f = 0; f < 50; ++f)
            files.push_back(dir.write("lib" + std::to_string(f) + ".dll", bytes));
    }
};

void SaveAllOfFifteenHundredRowsLongestStall(benchmark::State& state) {
    const char* format = state.range(0) == 0 ? "ico" : "png";
    SaveCorpus corpus;
    setProgramDir(corpus.dir.path());  // the export options write their settings here
    test::ScriptedDesktop desktop;
    MainWindow window(desktop);
    ReportDialog report(desktop);
    ExportOptionsDialog options(window.settings(), desktop);
    window.setReportDialog(&report);
    window.setExportOptionsDialog(&options);
    window.show();
    for (const fs::path& file : corpus.files)
        for (int k = 0; k < 30; ++k)
            window.findChild<ResultList*>("resultList")->addRow(QImage(), file, k);
    QApplication::processEvents();
    double longest = 0;
    int written = 0, run = 0;
    for (auto _ : state) {
        const fs::path out = corpus.dir.path() / ("out" + std::to_string(run++));
        fs::create_directory(out);
        desktop.modalScripts.push_back([&](QDialog&) {
            options.showCurrentSettings();
            for (QCheckBox* box : {options.size128Box, options.size64Box, options.size48Box})
                box->setChecked(false);
            options.size32Box->setChecked(true);
            options.size16Box->setChecked(true);
            (std::string(format) == "ico" ? options.icoButton : options.pngButton)
                ->setChecked(true);
            options.confirm();
            return options.result();
        });
        desktop.saveAnswers.push_back(out / "x.ico");
        desktop.modalScripts.push_back([](QDialog&) { return 1; });  // the report
        // The event loop's longest wait: the gaps between ticks of a 5 ms timer.
        QElapsedTimer clock;
        QTimer ticks;
        ticks.setInterval(5);
        qint64 last = 0, gap = 0;
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            gap = std::max(gap, now - last);
            last = now;
        });
        clock.start();
        ticks.start();
        window.saveAll();
        while (window.backgroundWorkRunning())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ticks.stop();
        longest = std::max(longest, double(gap));
        written = int(report.report().files().size());
    }
    state.counters["longest_stall_ms"] = longest;
    bench::countWork(state, "files", written);
    bench::expectCount(state, "files", written, 3000);
}
BENCHMARK(SaveAllOfFifteenHundredRowsLongestStall)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pellimar::bench::initialize(argc, argv);
    QApplication app(argc, argv);
    return pellimar::bench::runAndCheck();
}
