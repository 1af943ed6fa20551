// What the native benchmarks share: their cases, each registered with Google
// Benchmark for its own figures, and their goals, each judged on the case
// and its baseline measured interleaved. Measured apart, a busy machine
// gives the two different loads and their ratio drifts from run to run; so
// every case times a short batch in each of many turns, each turn gives
// each comparison a ratio, and the median of those is judged, printed with
// its spread.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

// A case made ready to time: one iteration of its work, and the bytes that
// processes (0: not a throughput).
struct Prepared {
    std::function<void()> iteration;
    int64_t bytes = 0;
};

class InterleavedBench {
public:
    // `prepare` makes what the case needs, untimed; it throws when the case
    // computes the wrong thing, which then has no figures.
    void Case(const std::string& name, std::function<Prepared()> prepare);

    // Judges the time of `name` against that of `baseline`: the ratio is to
    // stay within `goal` (infinity for one that is only printed).
    void Compare(std::string name, std::string baseline, double goal, std::string goalText);

    // Runs the cases under Google Benchmark (its flags apply), then the
    // comparisons of the cases it ran. Returns main's exit status.
    int Main(int argc, char** argv);

private:
    struct Comparison {
        std::string name, baseline;
        double goal;
        std::string goalText;
    };
    std::map<std::string, std::function<Prepared()>> cases_;
    std::vector<Comparison> comparisons_;
};
