// pellimar-cli list in one process, plain and with --json, over the same files,
// the output going nowhere but counted. --json is to cost at most 1.3 times the
// CPU of the plain listing: ListJsonOverPlain times the two alternately and gives
// the ratio of their CPU times (json_over_plain). Each run checks that it listed
// every image the model finds in the files.
//
// ListJsonManyIds lists a generated library whose RT_ICON directory holds 65,535
// ids and whose 256 icon groups each name the 256 highest (65,536 images).
//
//   bench_cli_list_bench [--folder=DIR] [--no-sample-files] [benchmark options]
//   bench_cli_list_bench --write-many-ids=PATH   (writes that library and exits)
//
// DIR defaults to $PELLIMAR_BENCH_DIR, else the Windows programs and libraries of
// Debian's wine64 package; with no file there, a folder of generated files is read,
// unless --no-sample-files is given.
#include <benchmark/benchmark.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/icons_cli.h"
#include "cli_corpus.h"
#include "sample_folder.h"
#include "work_check.h"

namespace {

namespace fs = std::filesystem;
using namespace pellimar;
using bench::countWork;
using bench::expectCount;
using bench::failRun;

std::vector<fs::path> g_files;

std::vector<std::string> listArgs(const std::vector<fs::path>& files, bool json) {
    std::vector<std::string> args;
    if (json) args.push_back("--json");
    for (const fs::path& f : files) args.push_back(f.string());
    return args;
}

// The images a listing shows: one "WxH@D" per image on the lines of icons, one
// {"width": ...} per image in JSON.
long long imagesIn(const std::string& listing, bool json) {
    long long images = 0;
    if (json) {
        const std::string mark = "{\"width\": ";
        for (std::size_t at = listing.find(mark); at != std::string::npos;
             at = listing.find(mark, at + 1))
            ++images;
        return images;
    }
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] >= '0' && line[0] <= '9')
            for (char c : line) images += c == '@';
    return images;
}

double processCpuSeconds() {
    timespec t{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Checks, after the timed runs, that a listing of `files` shows every image the
// model finds there, and that the timed runs wrote as much as it does.
void checkListing(benchmark::State& state, const std::vector<fs::path>& files, bool json,
                  long long charactersPerRun) {
    std::ostringstream out, err;
    cli::list(listArgs(files, json), out, err);
    const long long images = imagesIn(out.str(), json);
    countWork(state, "images_listed", double(images));
    expectCount(state, "images listed", images, bench::listedImages(files));
    expectCount(state, "characters written per run", charactersPerRun, (long long)out.str().size());
    state.counters["output_bytes"] = double(out.str().size());
}

void runList(benchmark::State& state, const std::vector<fs::path>& files, bool json) {
    const std::vector<std::string> args = listArgs(files, json);
    long long characters = 0, runs = 0;
    for (auto _ : state) {
        bench::CountingStream out;
        std::ostringstream err;
        cli::list(args, out, err);
        characters += out.count();
        ++runs;
    }
    checkListing(state, files, json, runs > 0 ? characters / runs : 0);
    state.counters["files"] = double(files.size());
}

void ListPlain(benchmark::State& state) {
    runList(state, g_files, false);
}
BENCHMARK(ListPlain)->Unit(benchmark::kMillisecond);

void ListJson(benchmark::State& state) {
    runList(state, g_files, true);
}
BENCHMARK(ListJson)->Unit(benchmark::kMillisecond);

// One iteration lists the files plainly, then as JSON; the CPU time of each is
// summed apart.
void ListJsonOverPlain(benchmark::State& state) {
    const std::vector<std::string> plainArgs = listArgs(g_files, false);
    const std::vector<std::string> jsonArgs = listArgs(g_files, true);
    double plainCpu = 0, jsonCpu = 0;
    long long plainCharacters = 0, jsonCharacters = 0, runs = 0;
    for (auto _ : state) {
        bench::CountingStream plainOut, jsonOut;
        std::ostringstream err;
        const double t0 = processCpuSeconds();
        cli::list(plainArgs, plainOut, err);
        const double t1 = processCpuSeconds();
        cli::list(jsonArgs, jsonOut, err);
        const double t2 = processCpuSeconds();
        plainCpu += t1 - t0;
        jsonCpu += t2 - t1;
        plainCharacters += plainOut.count();
        jsonCharacters += jsonOut.count();
        ++runs;
    }
    if (runs == 0) return;
    checkListing(state, g_files, false, plainCharacters / runs);
    checkListing(state, g_files, true, jsonCharacters / runs);
    using benchmark::Counter;
    state.counters["plain_cpu_ms"] = Counter(1e3 * plainCpu / double(runs));
    state.counters["json_cpu_ms"] = Counter(1e3 * jsonCpu / double(runs));
    if (plainCpu > 0) state.counters["json_over_plain"] = Counter(jsonCpu / plainCpu);
}
BENCHMARK(ListJsonOverPlain)->Unit(benchmark::kMillisecond);

// The library of 65,535 ids: 256 icons of 256 images each.
void ListJsonManyIds(benchmark::State& state) {
    const std::vector<fs::path> files = {bench::manyIdsFile()};
    runList(state, files, true);
    expectCount(state, "images in the library",
                (long long)bench::kManyIdsGroups * bench::kManyIdsPerGroup,
                bench::listedImages(files));
}
BENCHMARK(ListJsonManyIds)->Unit(benchmark::kMillisecond)->UseRealTime();

void ListPlainManyIds(benchmark::State& state) {
    runList(state, {bench::manyIdsFile()}, false);
}
BENCHMARK(ListPlainManyIds)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    bench::writeManyIdsAndExitWhenAsked(argc, argv);
    std::unique_ptr<bench::SampleFolder> samples;
    g_files = bench::corpusFiles(argc, argv, samples);
    return bench::runAndCheck();
}
