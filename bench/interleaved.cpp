#include "interleaved.h"

#include <benchmark/benchmark.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <set>
#include <utility>

#include "median.h"

namespace {

// Short batches keep a case and its baseline close in time; turns for some
// seconds see the load come and go, which the median then sees past.
constexpr double kBatchSeconds = 0.01, kTurnsSeconds = 10;
constexpr int kMinimumTurns = 31;

double Seconds(clockid_t clock)
{
    timespec now;
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The thread's CPU time per iteration, over `count` of them: the time the
// machine gives to other processes does not count. An untimed iteration
// first brings the case's data back into the caches, which the other cases
// took, so that it is timed as in a run of its own.
double Batch(const std::function<void()>& iteration, int64_t count)
{
    iteration();
    const double start = Seconds(CLOCK_THREAD_CPUTIME_ID);
    for (int64_t i = 0; i < count; ++i) {
        iteration();
        benchmark::ClobberMemory();
    }
    return (Seconds(CLOCK_THREAD_CPUTIME_ID) - start) / double(count);
}

// The iterations that take about kBatchSeconds (at least one).
int64_t BatchSize(const std::function<void()>& iteration)
{
    for (int64_t count = 1;; count *= 2) {
        const double seconds = Batch(iteration, count) * double(count);
        if (seconds >= kBatchSeconds / 2)
            return std::max<int64_t>(1, std::llround(double(count) * kBatchSeconds / seconds));
    }
}

std::string Duration(double seconds)
{
    char text[32];
    if (seconds >= 1e-3)
        snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    else
        snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    return text;
}

// Google Benchmark's console output, keeping the names of the cases that ran
// without error.
class Reporter : public benchmark::ConsoleReporter {
public:
    Reporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) { }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                ran.insert(run.benchmark_name());
        ConsoleReporter::ReportRuns(runs);
    }

    std::set<std::string> ran;
};

}  // namespace

void InterleavedBench::Case(const std::string& name, std::function<Prepared()> prepare)
{
    cases_[name] = prepare;
    benchmark::RegisterBenchmark(name.c_str(), [prepare](benchmark::State& state) {
        Prepared prepared;
        try {
            prepared = prepare();
        } catch (const std::exception& wrong) {
            state.SkipWithError(wrong.what());
            return;
        }
        for (auto _ : state) {
            prepared.iteration();
            benchmark::ClobberMemory();
        }
        if (prepared.bytes != 0)
            state.SetBytesProcessed(int64_t(state.iterations()) * prepared.bytes);
    });
}

void InterleavedBench::Compare(std::string name, std::string baseline, double goal, std::string goalText)
{
    comparisons_.push_back({std::move(name), std::move(baseline), goal, std::move(goalText)});
}

int InterleavedBench::Main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    // The cases of the comparisons Google Benchmark ran, each with its batch.
    std::vector<const Comparison*> comparisons;
    std::map<std::string, size_t> index;
    struct Timed {
        std::function<void()> iteration;
        int64_t batch;
        std::vector<double> times;  // one a turn
    };
    std::vector<Timed> timed;
    for (const Comparison& c : comparisons_) {
        if (!reporter.ran.count(c.name) || !reporter.ran.count(c.baseline))
            continue;
        comparisons.push_back(&c);
        for (const std::string& name : {c.name, c.baseline})
            if (index.emplace(name, timed.size()).second) {
                std::function<void()> iteration = cases_[name]().iteration;
                const int64_t batch = BatchSize(iteration);
                timed.push_back({std::move(iteration), batch, {}});
            }
    }
    if (comparisons.empty())
        return 0;

    // Each turn times a batch of every case, in an order that turns around
    // every turn, so that no case always follows the same one.
    const double start = Seconds(CLOCK_MONOTONIC);
    int turns = 0;
    for (; turns < kMinimumTurns || Seconds(CLOCK_MONOTONIC) - start < kTurnsSeconds; ++turns)
        for (size_t i = 0; i < timed.size(); ++i) {
            Timed& t = timed[turns % 2 == 0 ? i : timed.size() - 1 - i];
            t.times.push_back(Batch(t.iteration, t.batch));
        }

    printf("\neach against its baseline in the same turns: %d turns of a %.0f ms batch of each, in %.0f s;\n"
           "the median of the turns' ratios and, in brackets, their quartiles\n",
           turns, kBatchSeconds * 1e3, Seconds(CLOCK_MONOTONIC) - start);
    printf("%-18s %-18s %10s %10s  %6s %-15s %s\n", "measured", "against", "time", "baseline", "ratio", "", "goal");
    for (const Comparison* c : comparisons) {
        const Timed &measured = timed[index[c->name]], &baseline = timed[index[c->baseline]];
        std::vector<double> ratios;
        for (int turn = 0; turn < turns; ++turn)
            ratios.push_back(measured.times[turn] / baseline.times[turn]);
        const Median ratio = MedianOf(ratios);
        const char* verdict = std::isinf(c->goal) ? "" : ratio.median <= c->goal ? " (met)" : " (NOT met)";
        printf("%-18s %-18s %10s %10s  %6.3f (%.3f-%.3f)  %s%s\n", c->name.c_str(), c->baseline.c_str(),
               Duration(MedianOf(measured.times).median).c_str(), Duration(MedianOf(baseline.times).median).c_str(),
               ratio.median, ratio.low, ratio.high, c->goalText.c_str(), verdict);
    }
    return 0;
}
