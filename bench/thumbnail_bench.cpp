// How long a file manager waits for one thumbnail from pellimar-thumbnailer's
// routine (open, find icon 0, decode its best image, resample, encode and write the
// PNG), on two generated files:
//   - a library the size of a desktop's shell library: 330 icons of seven images
//     each (16 to 256 px), about 20 MB;
//   - a 100 MB installer: a program with one icon group and 100 MB of payload
//     appended, as self-extracting installers are built.
// Goal: under 5 ms per thumbnail, without reading the whole file. The counter
// bytes_from_disk says how much of the file the page cache holds after one
// thumbnail made from a cold cache (the file is dropped from the cache first);
// the run fails when that is more than a tenth of the file.
//
//   bench_thumbnail_bench [benchmark options]
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "cli/thumbnailer.h"
#include "support/fixtures.h"
#include "work_check.h"

namespace {

namespace fs = std::filesystem;
using namespace pellimar::fixtures;
using pellimar::bench::countWork;
using pellimar::bench::failRun;

struct Files {
    Files();
    TempDir dir;
    fs::path library;
    fs::path installer;
};

Files::Files() {
    Files& made = *this;
    // Seven images per icon, as the shell's own library has them.
    std::vector<IconImage> images;
    for (int size : {16, 24, 32, 48, 64, 128})
        images.push_back(dibImage(patternIcon(size, size), 32));
    images.push_back(pngImage(alphaPatternIcon(256, 256)));
    std::vector<IconGroupSpec> groups(330, IconGroupSpec{images, {}, {}});
    made.library = made.dir.write("shell-sized.dll", makePe(groups));

    Bytes installer = makePe({{images, {}, {}}});
    const std::size_t program = installer.size();
    installer.resize(program + (std::size_t(100) << 20));
    std::mt19937 random(7);
    for (std::size_t i = program; i + 4 <= installer.size(); i += 4) {
        const std::uint32_t r = random();
        std::memcpy(&installer[i], &r, 4);
    }
    made.installer = made.dir.write("setup.exe", installer);
}

Files& files() {
    static Files f;
    return f;
}

// The bytes of `file` in the page cache after one thumbnail from a cold cache.
long long coldBytesRead(const fs::path& file, const fs::path& out) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    (void)pellimar::cli::writeThumbnail(file, out, 128);
    const std::size_t size = fs::file_size(file);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    long long resident = -1;
    if (map != MAP_FAILED) {
        const long page = ::sysconf(_SC_PAGESIZE);
        std::vector<unsigned char> pages((size + std::size_t(page) - 1) / std::size_t(page));
        if (::mincore(map, size, pages.data()) == 0) {
            resident = 0;
            for (unsigned char p : pages) resident += (p & 1) ? page : 0;
        }
        ::munmap(map, size);
    }
    ::close(fd);
    return resident;
}

void thumbnail(benchmark::State& state, const fs::path& file, int size) {
    const fs::path out = files().dir.path() / "thumbnail.png";
    long long written = 0;
    for (auto _ : state) {
        if (pellimar::cli::writeThumbnail(file, out, size)) ++written;
    }
    countWork(state, "thumbnails", double(written), benchmark::Counter::kAvgIterations);
    const long long cold = coldBytesRead(file, out);
    const auto fileSize = static_cast<long long>(fs::file_size(file));
    state.counters["file_bytes"] = double(fileSize);
    state.counters["bytes_from_disk"] = double(cold);
    if (cold < 0 || cold > fileSize / 10)
        failRun(state, "read too much of the file (or could not tell)");
}

void BM_ShellSizedLibrary(benchmark::State& state) {
    thumbnail(state, files().library, int(state.range(0)));
}
BENCHMARK(BM_ShellSizedLibrary)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);

void BM_HundredMegabyteInstaller(benchmark::State& state) {
    thumbnail(state, files().installer, int(state.range(0)));
}
BENCHMARK(BM_HundredMegabyteInstaller)->Arg(128)->Arg(256)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    pellimar::bench::initialize(argc, argv);
    return pellimar::bench::runAndCheck();
}
