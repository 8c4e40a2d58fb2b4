// Work bounded in time, on generated files shaped to cost much for few bytes:
//   - ManyLanguages: a library whose one image is stored in N languages and whose
//     256 icon groups of 256 entries are each in a language the image lacks
//     (531 KB at 65,535 languages), in the thumbnailer and in list. Goal: 0.2 s.
//   - ExtractPngBlownUp: extract -f png --size 1024 of a library of 65,535 icon
//     groups that all name one 32 x 32 image (0.5 MB). Goal: 10 s, or stopped by
//     the budget of pixels one input may make decoded and made.
//   - ExtractPngFromLargePng: extract -f png --size 16 of 65,535 groups naming one
//     1024 x 1024 PNG. Goal: 10 s, or stopped by that budget.
//   - JpegClaimingHuge: a JPEG of a few hundred bytes (its tables, and a few bytes
//     of data) stating 8,154 x 7,967 pixels, decoded. Goal: 0.1 s or refused.
// Each figure is the CPU time of the whole process (user and system) per run.
//
//   bench_bounded_work_bench [--write=DIR] [benchmark options]
//
// --write=DIR writes the generated files into DIR (to time the programs from
// outside) and exits.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/extract_cli.h"
#include "cli/icons_cli.h"
#include "cli/thumbnailer.h"
#include "platform/jpeg_file.h"
#include "support/fixtures.h"
#include "work_check.h"

namespace {

namespace fs = std::filesystem;
using namespace pellimar;
using namespace pellimar::fixtures;
using bench::countWork;
using bench::failRun;

// A JPEG of 8 x 8 grey pixels whose frame header states 8,154 x 7,967, cut off
// a few bytes into its data: a file claiming 65 million pixels.
Bytes jpegClaimingHuge() {
    RgbImage small;
    small.width = 8, small.height = 8;
    small.pixels.assign(64, 0x808080);
    Bytes jpeg = *encodeJpeg(small);
    for (std::size_t i = 2; i + 9 < jpeg.size();) {
        if (jpeg[i] != 0xFF) break;
        const int marker = jpeg[i + 1];
        const std::size_t length = std::size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
        if (marker == 0xC0) {
            jpeg[i + 5] = 7967 >> 8, jpeg[i + 6] = 7967 & 0xFF;
            jpeg[i + 7] = 8154 >> 8, jpeg[i + 8] = 8154 & 0xFF;
            break;
        }
        i += 2 + length;
    }
    // The headers (tables, frame, scan) take most of it; what is left of the
    // data is a few bytes.
    std::size_t scan = 0;
    for (std::size_t i = 2; i + 1 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDA) scan = i;
    jpeg.resize(std::min(jpeg.size(), std::max<std::size_t>(129, scan + 16)));
    return jpeg;
}

Bytes manyLanguages(std::uint16_t languages) {
    return makeManyLanguagesPe(languages, 256, 256);
}
Bytes blownUp() {
    return makeSharedGroupPe(0xFFFF, 1);
}
Bytes largePng() {
    return makeSharedGroupPe(0xFFFF, 1, pngImage(patternIcon(1024, 1024)));
}

struct Files {
    TempDir dir;
    fs::path manyLanguages = dir.write("many-languages.dll", ::manyLanguages(0xFFFF));
    fs::path fewLanguages = dir.write("few-languages.dll", ::manyLanguages(4096));
    fs::path blownUp = dir.write("one-image-groups.dll", ::blownUp());
    fs::path largePng = dir.write("large-png-groups.dll", ::largePng());
    fs::path jpeg = dir.write("claims-8154.jpg", jpegClaimingHuge());
};

Files& files() {
    static Files made;
    return made;
}

void ManyLanguagesThumbnail(benchmark::State& state) {
    const fs::path& in = state.range(0) == 0xFFFF ? files().manyLanguages : files().fewLanguages;
    TempDir out;
    long long written = 0;
    for (auto _ : state) {
        std::ostringstream o, e;
        if (cli::runThumbnailer({"-s", "128", in.string(), (out.path() / "t.png").string()}, o,
                                e) == 0)
            ++written;
        else
            failRun(state, e.str());
    }
    countWork(state, "thumbnails", double(written));
}
BENCHMARK(ManyLanguagesThumbnail)
    ->Arg(4096)
    ->Arg(0xFFFF)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

void ManyLanguagesList(benchmark::State& state) {
    const fs::path& in = state.range(0) == 0xFFFF ? files().manyLanguages : files().fewLanguages;
    long long characters = 0;
    for (auto _ : state) {
        std::ostringstream o, e;
        cli::list({in.string()}, o, e);
        characters += o.str().size();
    }
    countWork(state, "characters", double(characters));
}
BENCHMARK(ManyLanguagesList)
    ->Arg(4096)
    ->Arg(0xFFFF)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// One extract run; counts the files written and the notes.
void extractRun(benchmark::State& state, const fs::path& in, const std::string& size) {
    long long written = 0, stopped = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto out = std::make_unique<TempDir>();
        state.ResumeTiming();
        std::ostringstream o, e;
        cli::extract({"-f", "png", "--size", size, "--out", out->path().string(), in.string()}, o,
                     e);
        const std::string listed = o.str(), said = e.str();
        written += std::count(listed.begin(), listed.end(), '\n');
        if (said.find("stopped at a limit") != std::string::npos ||
            said.find("extraction stops") != std::string::npos)
            ++stopped;
        state.PauseTiming();
        out.reset();
        state.ResumeTiming();
    }
    countWork(state, "files", double(written), benchmark::Counter::kAvgIterations);
    state.counters["stopped"] = double(stopped);
}

void ExtractPngBlownUp(benchmark::State& state) {
    extractRun(state, files().blownUp, "1024");
}
BENCHMARK(ExtractPngBlownUp)->Iterations(1)->MeasureProcessCPUTime()->Unit(benchmark::kSecond);

void ExtractPngFromLargePng(benchmark::State& state) {
    extractRun(state, files().largePng, "16");
}
BENCHMARK(ExtractPngFromLargePng)->Iterations(1)->MeasureProcessCPUTime()->Unit(benchmark::kSecond);

void JpegClaimingHuge(benchmark::State& state) {
    const Bytes jpeg = jpegClaimingHuge();
    long long pixels = 0;
    for (auto _ : state) {
        const RgbImage picture = decodeJpeg(jpeg);
        pixels += std::int64_t(picture.width) * picture.height;
    }
    state.counters["pixels_made"] = double(pixels);
    state.counters["bytes"] = double(jpeg.size());
    countWork(state, "runs", double(state.iterations()));
}
BENCHMARK(JpegClaimingHuge)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (const auto dir = bench::takeOption(argc, argv, "write")) {
        const fs::path to(*dir);
        fs::create_directories(to);
        for (const auto& [name, bytes] : std::vector<std::pair<const char*, Bytes>>{
                 {"many-languages.dll", manyLanguages(0xFFFF)},
                 {"few-languages.dll", manyLanguages(4096)},
                 {"one-image-groups.dll", blownUp()},
                 {"large-png-groups.dll", largePng()},
                 {"claims-8154.jpg", jpegClaimingHuge()}}) {
            std::ofstream file(to / name, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
            std::printf("%s: %zu bytes\n", (to / name).c_str(), bytes.size());
        }
        return 0;
    }
    bench::initialize(argc, argv);
    return bench::runAndCheck();
}
