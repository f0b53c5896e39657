// Benchmarks measure ratios against a floor measured in the same run: this reporter keeps each benchmark's
// time per iteration and, at the end, prints how many times the floor every other one costs.
#pragma once

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace pelgo::bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // `floor`: the benchmark the others are compared with, e.g. "BM_ReadFileBytes".
    explicit RatioReporter(std::string floor) : m_floor(std::move(floor)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration) {
                m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        const auto floor = m_times.find(m_floor);
        if (floor == m_times.end() || floor->second <= 0) {
            return;
        }
        for (const auto& [name, time] : m_times) {
            if (name != m_floor) {
                std::printf("%s / %s: %.1fx\n", name.c_str(), m_floor.c_str(), time / floor->second);
            }
        }
    }

private:
    std::string m_floor;
    std::map<std::string, double> m_times; // in each benchmark's own time unit
};

} // namespace pelgo::bench
