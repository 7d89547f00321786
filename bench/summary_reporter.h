// What both benchmark programs report: Google Benchmark's console table of every run,
// then summary tables that each program prints from the runs it collected.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
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

// After the console table: MiB/s and milliseconds per image, median of the repetitions, one
// row per benchmark function. `title` heads the table (bench/run.sh cuts the output there).
class ScanSpeedReporter : public SummaryReporter {
public:
    ScanSpeedReporter(std::string title, double imageMiB) : title_(std::move(title)), imageMiB_(imageMiB) {}

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-28s %10s %12s\n", title_.c_str(), "MiB/s", "ms/image");
        for (const auto& [name, speeds] : speeds_) {
            double mib = median(speeds) / (1024.0 * 1024.0);
            std::printf("%-28s %10.1f %12.2f\n", name.c_str(), mib, mib > 0 ? 1000.0 * imageMiB_ / mib : 0.0);
        }
    }

protected:
    void collect(const Run& run) override
    {
        auto it = run.counters.find("bytes_per_second");
        if (it != run.counters.end())
            speeds_[run.run_name.function_name].push_back(it->second);
    }

private:
    std::string title_;
    double imageMiB_;
    std::map<std::string, std::vector<double>> speeds_;
};
