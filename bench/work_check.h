// What every benchmark program shares: work counters that fail the run when they
// stay at zero, and a main whose exit status says whether every run did its work.
// A figure measured over no work is worse than no figure, so such a run is marked
// failed (the report shows "ERROR OCCURRED" with the reason) and the program exits
// with status 1.
//
//   int main(int argc, char** argv) {
//       pellimar::bench::initialize(argc, argv);
//       return pellimar::bench::runAndCheck();
//   }
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pellimar::bench {

// Marks the run failed with `why`; the first reason given is the one kept.
inline void failRun(benchmark::State& state, const std::string& why) {
    if (!state.error_occurred()) state.SkipWithError(why.c_str());
}

// Records `amount` under counter `name` and fails the run when it is not above
// zero. Pass kAvgIterations for totals summed over all iterations, so that the
// counter shows the work of one iteration.
inline void countWork(benchmark::State& state, const std::string& name, double amount,
                      benchmark::Counter::Flags flags = benchmark::Counter::kDefaults) {
    state.counters[name] = benchmark::Counter(amount, flags);
    if (!(amount > 0)) failRun(state, "no work done: " + name + " is 0");
}

// Fails the run when `actual` differs from what the input is known to hold.
inline void expectCount(benchmark::State& state, const std::string& what, long long actual,
                        long long expected) {
    if (actual != expected)
        failRun(state, what + ": " + std::to_string(actual) + " where " + std::to_string(expected) +
                           " were expected");
}

// The display reporter the command line chose (console, JSON or CSV), wrapped so
// that the runs that failed are remembered.
class WorkCheckingReporter : public benchmark::BenchmarkReporter {
  public:
    explicit WorkCheckingReporter(benchmark::BenchmarkReporter* display) : display_(display) {}

    bool ReportContext(const Context& context) override { return display_->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            ++runCount_;
            if (run.error_occurred)
                failures_.push_back(run.benchmark_name() + ": " + run.error_message);
        }
        display_->ReportRuns(runs);
    }
    void Finalize() override { display_->Finalize(); }

    int runCount() const { return runCount_; }
    const std::vector<std::string>& failures() const { return failures_; }

  private:
    benchmark::BenchmarkReporter* display_;  // the library's own, never deleted
    int runCount_ = 0;
    std::vector<std::string> failures_;
};

// Removes "--name=value" from the command line and returns the value.
inline std::optional<std::string> takeOption(int& argc, char** argv, std::string_view name) {
    const std::string prefix = "--" + std::string(name) + "=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) != 0) continue;
        std::string value = argv[i] + prefix.size();
        for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
        --argc;
        return value;
    }
    return std::nullopt;
}

// Removes "--name" from the command line; true when it was there.
inline bool takeFlag(int& argc, char** argv, std::string_view name) {
    const std::string flag = "--" + std::string(name);
    for (int i = 1; i < argc; ++i) {
        if (flag != argv[i]) continue;
        for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
        --argc;
        return true;
    }
    return false;
}

// Reads the benchmark options; the program's own must have been taken out
// before. Anything left over is an error (exit status 2), so that a mistyped
// option cannot quietly run something else.
inline void initialize(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) std::exit(2);
}

// Runs the benchmarks the command line selects and returns the exit status: 0
// when every run did its work, 1 when a run failed or no benchmark matched.
inline int runAndCheck() {
    WorkCheckingReporter reporter(benchmark::CreateDefaultDisplayReporter());
    const std::size_t matched = benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (matched == 0) {
        std::fprintf(stderr, "no benchmark matched the filter\n");
        return 1;
    }
    if (reporter.failures().empty()) return 0;
    std::fprintf(stderr, "%zu of %d benchmark runs failed:\n", reporter.failures().size(),
                 reporter.runCount());
    for (const std::string& failure : reporter.failures())
        std::fprintf(stderr, "  %s\n", failure.c_str());
    return 1;
}

}  // namespace pellimar::bench
