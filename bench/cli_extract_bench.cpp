// pellimar-cli extract in one process: every icon of every file of a folder
// written as icon files (every image as stored) and as PNG files (every image at
// its own size). After the timed runs, every file written is checked byte for byte:
// an icon file's images must equal the stored image data of its icon, in order; a
// PNG must be the stored PNG itself or decode to the decoded stored image.
//
//   bench_cli_extract_bench [--folder=DIR] [--no-sample-files] [benchmark options]
//
// DIR defaults to $PELLIMAR_BENCH_DIR, else the Windows programs and libraries of
// Debian's wine64 package; with no file there, a folder of generated files is read,
// unless --no-sample-files is given. The comparison with other tools, process
// against process, is bench/extract_vs_tools.sh.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/program.h"
#include "platform/ico_file.h"
#include "platform/icon_decode.h"
#include "platform/icon_group.h"
#include "platform/icon_resources.h"
#include "platform/png_codec.h"
#include "sample_folder.h"
#include "support/fixtures.h"
#include "work_check.h"

namespace {

namespace fs = std::filesystem;
using namespace pellimar;
using bench::countWork;
using bench::failRun;

std::vector<fs::path> g_files;

std::vector<fs::path> filesIn(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) found.push_back(entry.path());
    return found;
}

class OutputFolder {
  public:
    OutputFolder() {
        std::string pattern = (fs::temp_directory_path() / "pellimar-bench-out-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("cannot make a folder for the outputs");
        path_ = pattern;
    }
    ~OutputFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

using Bytes = std::vector<std::uint8_t>;

// Checks the files one run wrote (named in `written`, in the order written)
// against the sources; the number of images checked, or a reason.
long long checkIcoOutputs(const std::vector<std::string>& written, std::string& fault) {
    std::size_t next = 0;
    long long images = 0;
    for (const fs::path& source : g_files) {
        auto file = IconFile::open(source);
        if (!file) continue;
        const IconResources& res = file->resources();
        for (int i = 0; i < res.iconCount(); ++i) {
            std::vector<Bytes> expected;
            for (const IconDirEntry& e : res.images(i))
                if (auto data = res.imageData(e)) expected.emplace_back(data->begin(), data->end());
            if (expected.empty()) continue;
            if (next >= written.size()) {
                fault = "no file written for " + source.string() + " icon " + std::to_string(i);
                return -1;
            }
            const Bytes ico = fixtures::readWholeFile(written[next++]);
            auto entries = readIcoDirectory(ico);
            std::vector<Bytes> held;
            for (const IconDirEntry& e : entries.value_or(std::vector<IconDirEntry>())) {
                auto data = icoImageData(ico, e);
                held.push_back(data ? Bytes(data->begin(), data->end()) : Bytes());
            }
            if (held != expected) {
                fault = written[next - 1] + " differs from the stored images";
                return -1;
            }
            images += (long long)held.size();
        }
    }
    if (next != written.size()) fault = "more files written than icons found";
    return fault.empty() ? images : -1;
}

long long checkPngOutputs(const std::vector<std::string>& written, std::string& fault) {
    std::size_t next = 0;
    long long images = 0;
    for (const fs::path& source : g_files) {
        auto file = IconFile::open(source);
        if (!file) continue;
        const IconResources& res = file->resources();
        for (int i = 0; i < res.iconCount(); ++i) {
            for (const IconDirEntry& e : res.images(i)) {
                auto data = res.imageData(e);
                if (!data) continue;
                const std::span<const std::uint8_t> stored(data->data(), data->size());
                const bool keptAsStored = looksLikePng(stored);
                const Icon decoded = keptAsStored ? Icon{} : decodeIconImage(stored);
                if (keptAsStored ? !readPngHeader(stored, kMaxDibDimension) : decoded.empty())
                    continue;  // reported as a failure, nothing written
                if (next >= written.size()) {
                    fault = "no file written for an image of " + source.string();
                    return -1;
                }
                const std::string& name = written[next++];
                const Bytes png = fixtures::readWholeFile(name);
                if (keptAsStored) {
                    if (!std::equal(png.begin(), png.end(), stored.begin(), stored.end())) {
                        fault = name + " is not the stored PNG";
                        return -1;
                    }
                } else {
                    auto back = decodePng(png);
                    if (!back || back->rgba != iconToRgba(decoded).rgba) {
                        fault = name + " does not decode to the stored image";
                        return -1;
                    }
                }
                ++images;
            }
        }
    }
    if (next != written.size()) fault = "more files written than images found";
    return fault.empty() ? images : -1;
}

void runExtract(benchmark::State& state, const std::string& format) {
    OutputFolder out;
    std::vector<std::string> args = {"extract", "--format", format, "--out", out.path().string()};
    for (const fs::path& f : g_files) args.push_back(f.string());
    std::string written;
    long long runs = 0;
    for (auto _ : state) {
        std::ostringstream names, errors;
        cli::runProgram(args, names, errors);
        written = names.str();
        ++runs;
    }
    const auto files = linesOf(written);
    std::string fault;
    const long long images =
        format == "ico" ? checkIcoOutputs(files, fault) : checkPngOutputs(files, fault);
    if (images < 0) {
        failRun(state, fault);
        return;
    }
    long long bytes = 0;
    for (const std::string& f : files) bytes += (long long)fs::file_size(f);
    using benchmark::Counter;
    countWork(state, "files_written", double(files.size()));
    countWork(state, "images_checked", double(images));
    state.counters["MB_written"] = Counter(double(bytes) / 1e6);
    state.counters["files_written/s"] =
        Counter(double(files.size()) * double(runs), Counter::kIsRate);
}

void ExtractAsIconFiles(benchmark::State& state) {
    runExtract(state, "ico");
}
BENCHMARK(ExtractAsIconFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void ExtractAsPngFiles(benchmark::State& state) {
    runExtract(state, "png");
}
BENCHMARK(ExtractAsPngFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    const char* fromEnvironment = std::getenv("PELLIMAR_BENCH_DIR");
    fs::path folder =
        fromEnvironment ? fromEnvironment : "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
    if (auto given = bench::takeOption(argc, argv, "folder")) folder = *given;
    const bool samplesAllowed = !bench::takeFlag(argc, argv, "no-sample-files");
    bench::initialize(argc, argv);

    std::unique_ptr<bench::SampleFolder> samples;
    std::string folderNote = "given";
    g_files = filesIn(folder);
    if (g_files.empty() && samplesAllowed) {
        std::fprintf(stderr, "%s holds no file; generating sample files\n", folder.c_str());
        samples = std::make_unique<bench::SampleFolder>();
        folder = samples->path();
        g_files = filesIn(folder);
        folderNote = "generated: " + std::to_string(samples->fileCount()) + " files";
    }
    benchmark::AddCustomContext("folder", folder.string() + " (" + folderNote + ")");
    return bench::runAndCheck();
}
