// How long the icon viewer takes to show a file of 200 images: from creating the
// dialog until its list, preview and visible thumbnails have been painted.
#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <cstdlib>
#include <filesystem>

#include "core/paths.h"
#include "support/fixtures.h"
#include "support/scripted_desktop.h"
#include "viewer/icon_viewer.h"
#include "work_check.h"

namespace {

using namespace pellimar;
using namespace pellimar::fixtures;

void ViewerShowsTwoHundredImages(benchmark::State& state) {
    TempDir dir;
    const std::filesystem::path priv = dir.path() / "private";
    std::filesystem::create_directory(priv);
    ::chmod(priv.c_str(), 0700);
    setPrivateTempDir(priv);
    std::vector<IconImage> images;
    const int sizes[] = {16, 24, 32, 48, 64};
    const int bits[] = {4, 8, 32};
    for (int i = 0; i < 200; ++i) {
        const int s = sizes[i % 5], b = bits[(i / 5) % 3];
        images.push_back(b == 32 ? dibImage(alphaPatternIcon(s, s), 32)
                                 : dibImage(patternIcon(s, s, b == 4 ? 16 : 200), b));
    }
    const auto file = dir.write("many.ico", makeIco(images));

    test::ScriptedDesktop desk;
    int fewestListed = -1, fewestThumbnails = -1;
    for (auto _ : state) {
        IconViewer form(desk);
        form.setViewedFile(file);
        form.show();  // runs loadViewedFile
        QApplication::processEvents();
        form.thumbnailList->viewport()->repaint();  // the visible thumbnails are drawn now
        QApplication::processEvents();
        const int listed = form.imageChoice->count();
        const int thumbnails = form.thumbnailList->count();
        if (fewestListed < 0 || listed < fewestListed) fewestListed = listed;
        if (fewestThumbnails < 0 || thumbnails < fewestThumbnails) fewestThumbnails = thumbnails;
        form.reject();
    }
    setPrivateTempDir({});
    // The fewest any one showing had: every showing must list all 200.
    bench::countWork(state, "images", fewestListed);
    bench::countWork(state, "thumbnails", fewestThumbnails);
    bench::expectCount(state, "images listed", fewestListed, 200);
    bench::expectCount(state, "thumbnails", fewestThumbnails, 200);
}
BENCHMARK(ViewerShowsTwoHundredImages)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pellimar::bench::initialize(argc, argv);
    QApplication app(argc, argv);
    return pellimar::bench::runAndCheck();
}
