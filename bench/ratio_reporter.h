// A console reporter that also prints, after the run, each benchmark's time
// beside the baseline it is measured against in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // Prints "name / baseline" once both have run; `goal` is the ratio to stay
    // within (infinity for a figure without a goal).
    void Compare(std::string name, std::string baseline, double goal, std::string goalText)
    {
        comparisons_.push_back({std::move(name), std::move(baseline), goal, std::move(goalText)});
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        printf("\n%-44s %-36s %8s  %s\n", "measured", "against", "ratio", "goal");
        for (const Comparison& c : comparisons_) {
            if (!seconds_.count(c.name) || !seconds_.count(c.baseline))
                continue;
            const double ratio = seconds_[c.name] / seconds_[c.baseline];
            const char* verdict = std::isinf(c.goal) ? "" : ratio <= c.goal ? "(met)" : "(NOT met)";
            printf("%-44s %-36s %8.3f  %s %s\n", c.name.c_str(), c.baseline.c_str(), ratio, c.goalText.c_str(),
                   verdict);
        }
    }

private:
    struct Comparison {
        std::string name, baseline;
        double goal;
        std::string goalText;
    };
    std::vector<Comparison> comparisons_;
    std::map<std::string, double> seconds_;
};
