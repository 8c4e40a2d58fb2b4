// What one process of the command-line programs costs, against the tools beside
// them, side by side in one run: the CPU time (user + system, from the kernel's
// account of each child) of
//
//   start-up     /bin/true, `wrestool --version`, `pellimar-thumbnailer --version`
//                and `pellimar-cli --version`, taking turns, RUNS times each;
//   a file each  `wrestool -x -t14 -o DIR FILE` and `pellimar-cli extract --out DIR
//                FILE` over FILES small generated PE libraries (a 32 x 32 and a
//                16 x 16 icon of one group each), one process per file, the two
//                loops taking turns LOOPS times, each into a folder emptied
//                outside the timing.
//
// Medians are printed, and for the loops the median of the ratios pellimar-cli /
// wrestool.
//
//   bench_cli_processes --cli=build/pellimar-cli
//       [--thumbnailer=build/pellimar-thumbnailer] [--wrestool=wrestool]
//       [--runs=200] [--files=1000] [--loops=5]
//
// Without wrestool (Debian package icoutils) its columns are left out.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/fixtures.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace pellimar::fixtures;

std::string option(int argc, char** argv, const std::string& name, const std::string& fallback) {
    const std::string prefix = "--" + name + "=";
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0)
            return argv[i] + prefix.size();
    return fallback;
}

// The CPU time, in milliseconds, of one run of `args` with its output dropped;
// negative when it could not be started or did not end well.
double cpuMilliseconds(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    struct rusage usage {};
    if (::wait4(child, &status, 0, &usage) != child) return -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool runs(const std::string& program) {
    return cpuMilliseconds({program, "--version"}) >= 0;
}

void emptyFolder(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string cli = option(argc, argv, "cli", "build/pellimar-cli");
    const std::string thumbnailer = option(argc, argv, "thumbnailer", "build/pellimar-thumbnailer");
    const std::string wrestool = option(argc, argv, "wrestool", "wrestool");
    const int startups = std::atoi(option(argc, argv, "runs", "200").c_str());
    const int fileCount = std::atoi(option(argc, argv, "files", "1000").c_str());
    const int loops = std::atoi(option(argc, argv, "loops", "5").c_str());
    if (!runs(cli)) {
        std::fprintf(stderr, "%s does not run: build it, or name it with --cli=PATH\n",
                     cli.c_str());
        return 2;
    }
    const bool withWrestool = runs(wrestool);
    const bool withThumbnailer = runs(thumbnailer);
    if (!withWrestool) std::printf("wrestool (package icoutils) does not run: left out\n");

    // Start-up: the programs take turns.
    struct Program {
        const char* label;
        std::vector<std::string> args;
        std::vector<double> ms;
    };
    std::vector<Program> programs = {{"/bin/true", {"/bin/true"}, {}}};
    if (withWrestool) programs.push_back({"wrestool --version", {wrestool, "--version"}, {}});
    if (withThumbnailer)
        programs.push_back({"pellimar-thumbnailer --version", {thumbnailer, "--version"}, {}});
    programs.push_back({"pellimar-cli --version", {cli, "--version"}, {}});
    for (int r = 0; r < startups; ++r)
        for (Program& p : programs)
            if (const double ms = cpuMilliseconds(p.args); ms >= 0) p.ms.push_back(ms);
    std::printf("Start-up, CPU time (user + system), median of %d runs each, taking turns:\n",
                startups);
    for (const Program& p : programs)
        std::printf("  %-32s %7.3f ms  (%zu runs)\n", p.label, median(p.ms), p.ms.size());

    // One process per file over small generated libraries.
    const TempDir input, output;
    std::vector<std::string> files;
    for (int i = 0; i < fileCount; ++i) {
        IconGroupSpec group;
        group.images = {dibImage(patternIcon(32, 32, i % 200 + 2), 8),
                        dibImage(patternIcon(16, 16), 32)};
        const Bytes dll = makePe({group});
        files.push_back(input.write("lib" + std::to_string(i) + ".dll", dll).string());
    }
    const fs::path outA = output.path() / "wrestool", outB = output.path() / "pellimar";
    std::vector<double> wrestoolMs, pellimarMs, ratios;
    bool failed = false;
    for (int l = 0; l < loops && !failed; ++l) {
        double a = 0, b = 0;
        if (withWrestool) {
            emptyFolder(outA);
            for (const std::string& f : files) {
                const double ms = cpuMilliseconds({wrestool, "-x", "-t14", "-o", outA.string(), f});
                failed = failed || ms < 0;
                a += ms;
            }
        }
        emptyFolder(outB);
        for (const std::string& f : files) {
            const double ms = cpuMilliseconds({cli, "extract", "--out", outB.string(), f});
            failed = failed || ms < 0;
            b += ms;
        }
        if (withWrestool) {
            wrestoolMs.push_back(a);
            ratios.push_back(b / a);
        }
        pellimarMs.push_back(b);
    }
    std::size_t written = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(outB)) ++written;
    if (failed) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf(
        "One process per file, %d small PE libraries, CPU time of the whole loop, median "
        "of %d loops taking turns:\n",
        fileCount, loops);
    if (withWrestool)
        std::printf("  %-32s %9.1f ms  (%.3f ms a file)\n", "wrestool -x -t14 -o DIR FILE",
                    median(wrestoolMs), median(wrestoolMs) / fileCount);
    std::printf("  %-32s %9.1f ms  (%.3f ms a file; %zu files written)\n",
                "pellimar-cli extract --out DIR", median(pellimarMs),
                median(pellimarMs) / fileCount, written);
    if (withWrestool)
        std::printf("  pellimar-cli / wrestool: %.2f (median of the loops' ratios)\n",
                    median(ratios));
    return 0;
}
