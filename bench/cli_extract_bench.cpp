// pellimar-cli extract in one process: every icon of every file of a folder
// written as icon files (every image as stored) and as PNG files (every image at
// its own size). After the timed runs, every file written is checked byte for byte:
// an icon file's images must equal the stored image data of its icon, in order; a
// PNG must be the stored PNG itself or decode to the decoded stored image.
//
// Each stored byte is to be read once: the counters give what the process read
// from files during one pass (bytes_read, from /proc/self/io), the image bytes the
// model read for it (image_bytes_read) and the image bytes the folder holds, each
// counted once however many images name it (distinct_image_bytes), with the
// ratios of the first two to the last.
//
// ExtractManyIdsAsIconFiles does the same on a generated library whose RT_ICON
// directory holds 65,535 ids and whose 256 icon groups each name the 256 highest.
//
//   bench_cli_extract_bench [--folder=DIR] [--no-sample-files] [benchmark options]
//   bench_cli_extract_bench --write-many-ids=PATH   (writes that library and exits)
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
#include "cli_corpus.h"
#include "platform/icon_decode.h"
#include "platform/icon_png.h"
#include "platform/icon_set.h"
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

// The images of the icon groups of `source` that extract writes, loaded; the
// groups past the one the run stops before are left out.
std::vector<const IconGroup*> groupsWritten(IconSet& set) {
    set.loadAll();
    std::vector<const IconGroup*> out;
    for (const IconGroup& group : set.icons()) {
        if (group.failure && group.failure->fault == Fault::CapReached) break;
        out.push_back(&group);
    }
    return out;
}

Bytes bytesOf(const StoredImage& image) {
    return Bytes(image.data.begin(), image.data.end());
}

// Checks the files one run wrote (named in `written`, in the order written)
// against the sources; the number of images checked, or a reason.
long long checkIcoOutputs(const std::vector<fs::path>& sources,
                          const std::vector<std::string>& written, std::string& fault) {
    std::size_t next = 0;
    long long images = 0;
    for (const fs::path& source : sources) {
        auto set = IconSet::open(source);
        if (!set) continue;
        for (const IconGroup* group : groupsWritten(*set)) {
            std::vector<Bytes> expected;
            for (const StoredImage& image : group->images)
                if (image.loaded()) expected.push_back(bytesOf(image));
            if (expected.empty()) continue;
            if (next >= written.size()) {
                fault = "no file written for " + source.string() + " icon " +
                        std::to_string(group->identity.position);
                return -1;
            }
            const Bytes ico = fixtures::readWholeFile(written[next++]);
            std::vector<Bytes> held;
            if (auto back = IconSet::read(ByteSource(ico)); back && back->iconCount() == 1)
                for (const StoredImage& image : back->load(ResourceKind::Icon, 0).images)
                    held.push_back(bytesOf(image));
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

long long checkPngOutputs(const std::vector<fs::path>& sources,
                          const std::vector<std::string>& written, std::string& fault) {
    std::size_t next = 0;
    long long images = 0;
    for (const fs::path& source : sources) {
        auto set = IconSet::open(source);
        if (!set) continue;
        for (const IconGroup* group : groupsWritten(*set)) {
            for (const StoredImage& image : group->images) {
                if (!image.loaded()) continue;
                const std::span<const std::uint8_t> stored = image.data;
                const bool keptAsStored = looksLikePng(stored);
                const Result<Icon> decoded =
                    keptAsStored ? Result<Icon>(Icon{}) : decodeIconImage(stored);
                if (keptAsStored ? !readPngHeader(stored, kMaxDibDimension) : !decoded)
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
                    if (!back || back->rgba != iconToRgba(*decoded).rgba) {
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

// The image bytes the model reads to load every image of every icon group of
// `sources`, as extract does before it writes them.
long long imageBytesLoaded(const std::vector<fs::path>& sources) {
    long long total = 0;
    for (const fs::path& source : sources)
        if (auto set = IconSet::open(source)) {
            set->loadAll();
            total += (long long)set->imageBytesRead();
        }
    return total;
}

void runExtract(benchmark::State& state, const std::vector<fs::path>& sources,
                const std::string& format) {
    OutputFolder out;
    std::vector<std::string> args = {"extract", "--format", format, "--out", out.path().string()};
    for (const fs::path& f : sources) args.push_back(f.string());
    std::string written;
    long long runs = 0, bytesRead = 0;
    bool readsKnown = true;
    for (auto _ : state) {
        std::ostringstream names, errors;
        const auto before = bench::bytesReadByProcess();
        cli::runProgram(args, names, errors);
        const auto after = bench::bytesReadByProcess();
        if (before && after)
            bytesRead += *after - *before;
        else
            readsKnown = false;
        written = names.str();
        ++runs;
    }
    const auto files = linesOf(written);
    std::string fault;
    const long long images = format == "ico" ? checkIcoOutputs(sources, files, fault)
                                             : checkPngOutputs(sources, files, fault);
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

    // What was read, against what there is to read.
    const double distinct = double(bench::distinctImageBytes(sources));
    const double loaded = double(imageBytesLoaded(sources));
    countWork(state, "distinct_image_bytes", distinct);
    state.counters["image_bytes_read"] = Counter(loaded);
    state.counters["image_read_ratio"] = Counter(loaded / distinct);
    if (!readsKnown) {
        failRun(state, "/proc/self/io cannot be read");
        return;
    }
    const double perPass = runs > 0 ? double(bytesRead) / double(runs) : 0;
    countWork(state, "bytes_read", perPass);
    state.counters["read_ratio"] = Counter(perPass / distinct);
}

void ExtractAsIconFiles(benchmark::State& state) {
    runExtract(state, g_files, "ico");
}
BENCHMARK(ExtractAsIconFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

void ExtractAsPngFiles(benchmark::State& state) {
    runExtract(state, g_files, "png");
}
BENCHMARK(ExtractAsPngFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

// The library of 65,535 ids: 256 icon files of 256 images each, every image one of
// the 256 the groups share.
void ExtractManyIdsAsIconFiles(benchmark::State& state) {
    runExtract(state, {bench::manyIdsFile()}, "ico");
    if (state.counters.count("files_written"))
        bench::expectCount(state, "icon files written",
                           (long long)state.counters["files_written"].value, bench::kManyIdsGroups);
}
BENCHMARK(ExtractManyIdsAsIconFiles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    bench::writeManyIdsAndExitWhenAsked(argc, argv);
    std::unique_ptr<bench::SampleFolder> samples;
    g_files = bench::corpusFiles(argc, argv, samples);
    return bench::runAndCheck();
}
