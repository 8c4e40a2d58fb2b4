// What the command-line benchmarks share: the files of the folder read, what the
// model says they hold (to check the work of a run against), what the process has
// read from files, an output stream that only counts, and the generated library
// of 65,535 image ids.
//
// The library is the one to time pellimar-cli on as a whole process:
//
//   bench_cli_extract_bench --write-many-ids=/tmp/many-ids.dll
//   time ./pellimar-cli list --json /tmp/many-ids.dll > /dev/null
//   time ./pellimar-cli extract --format ico --out /tmp/out /tmp/many-ids.dll
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

#include "cli/icons_cli.h"
#include "platform/icon_set.h"
#include "sample_folder.h"
#include "support/fixtures.h"
#include "work_check.h"

namespace pellimar::bench {

inline std::vector<std::filesystem::path> filesIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.is_regular_file()) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

// The files a command-line benchmark reads: those of --folder=DIR, else of
// $PELLIMAR_BENCH_DIR, else of Debian's wine64 programs; when there are none there
// (and --no-sample-files is not given), a folder of generated files, kept in
// `samples`. Reads those options out of argv, then the benchmark library's own,
// and names the folder in the report's heading.
inline std::vector<std::filesystem::path> corpusFiles(int& argc, char** argv,
                                                      std::unique_ptr<SampleFolder>& samples) {
    const char* fromEnvironment = std::getenv("PELLIMAR_BENCH_DIR");
    std::filesystem::path folder =
        fromEnvironment ? fromEnvironment : "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows";
    if (auto given = takeOption(argc, argv, "folder")) folder = *given;
    const bool samplesAllowed = !takeFlag(argc, argv, "no-sample-files");
    initialize(argc, argv);
    std::string folderNote = "given";
    std::vector<std::filesystem::path> files = filesIn(folder);
    if (files.empty() && samplesAllowed) {
        std::fprintf(stderr, "%s holds no file; generating sample files\n", folder.c_str());
        samples = std::make_unique<SampleFolder>();
        folder = samples->path();
        files = filesIn(folder);
        folderNote = "generated: " + std::to_string(samples->fileCount()) + " files";
    }
    benchmark::AddCustomContext("folder", folder.string() + " (" + folderNote + ")");
    return files;
}

// The bytes this process has asked the system to read so far (the rchar line of
// /proc/self/io: every read and pread, whether the page cache served it or not).
inline std::optional<long long> bytesReadByProcess() {
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value)
        if (key == "rchar:") return value;
    return std::nullopt;
}

// The image bytes of the icon groups of `files`, each byte counted once however
// many images name it: per file, the union of the ranges (offset, length) of every
// image the model can place.
inline long long distinctImageBytes(const std::vector<std::filesystem::path>& files) {
    long long total = 0;
    for (const auto& path : files) {
        auto set = IconSet::open(path);
        if (!set) continue;
        std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
        for (const IconGroup& group : set->icons())
            for (const StoredImage& image : group.images)
                if (!image.failure && image.length > 0)
                    ranges.emplace_back(image.offset, image.offset + image.length);
        std::sort(ranges.begin(), ranges.end());
        std::uint64_t coveredTo = 0;
        for (const auto& [start, end] : ranges) {
            const std::uint64_t from = std::max(start, coveredTo);
            if (end > from) total += (long long)(end - from);
            coveredTo = std::max(coveredTo, end);
        }
    }
    return total;
}

// The images `pellimar-cli list` shows for `files`: those of each icon group in
// order, up to the group the listing stops before.
inline long long listedImages(const std::vector<std::filesystem::path>& files) {
    long long images = 0;
    for (const auto& path : files) {
        auto set = IconSet::open(path);
        if (!set) continue;
        for (const IconGroup& group : set->icons()) {
            if (group.failure && group.failure->fault == Fault::CapReached) break;
            images += (long long)group.images.size();
        }
    }
    return images;
}

// An output stream that keeps nothing and counts the characters written to it.
class CountingStream : public std::ostream {
  public:
    CountingStream() : std::ostream(&buffer_) {}
    long long count() const { return buffer_.count; }

  private:
    struct Buffer : std::streambuf {
        long long count = 0;
        int_type overflow(int_type c) override {
            if (!traits_type::eq_int_type(c, traits_type::eof())) ++count;
            return traits_type::not_eof(c);
        }
        std::streamsize xsputn(const char*, std::streamsize n) override {
            count += n;
            return n;
        }
    };
    Buffer buffer_;
};

// The library of many image ids: an RT_ICON directory of 65,535 ids and 256
// icon groups each naming the 256 highest of them.
inline constexpr std::uint16_t kManyIds = 0xFFFF;
inline constexpr int kManyIdsGroups = 256;
inline constexpr int kManyIdsPerGroup = 256;

inline fixtures::Bytes manyIdsLibrary() {
    return fixtures::makeManyIdsPe(kManyIds, kManyIdsGroups, kManyIdsPerGroup);
}

inline void writeFile(const std::filesystem::path& path, const fixtures::Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Handles --write-many-ids=PATH: writes the library to PATH and ends the program
// (status 0, or 1 when it cannot be written). Does nothing without the option.
inline void writeManyIdsAndExitWhenAsked(int& argc, char** argv) {
    const auto path = takeOption(argc, argv, "write-many-ids");
    if (!path) return;
    try {
        const fixtures::Bytes bytes = manyIdsLibrary();
        writeFile(*path, bytes);
        std::printf("%s: %zu bytes, %d ids, %d icon groups of %d images\n", path->c_str(),
                    bytes.size(), int(kManyIds), kManyIdsGroups, kManyIdsPerGroup);
        std::exit(0);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::exit(1);
    }
}

// The library written once into a scratch folder, for the benchmarks in-process.
inline const std::filesystem::path& manyIdsFile() {
    static fixtures::TempDir dir;
    static const std::filesystem::path path = dir.write("many-ids.dll", manyIdsLibrary());
    return path;
}

}  // namespace pellimar::bench
