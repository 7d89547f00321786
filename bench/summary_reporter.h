// What both benchmark programs report: Google Benchmark's console table of every run,
// then summary tables that each program prints from the runs it collected.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

// Median of the repetitions of one benchmark; 0 when there are none.
inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Hands every successful repetition to collect(); the summaries follow in Finalize().
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    // Plain text: the output goes to files and is cut up by bench/run.sh.
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                collect(run);
    }

protected:
    virtual void collect(const Run& run) = 0;
};
