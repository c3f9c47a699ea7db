// The console report of a benchmark run that sets our code against a yardstick library,
// followed by one line: our throughput divided by the yardstick's.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace yov_bench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter(std::string ours, std::string theirs, std::string label)
        : ours_(std::move(ours)), theirs_(std::move(theirs)), label_(std::move(label)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            auto it = r.counters.find("bytes_per_second");
            if (it != r.counters.end()) rates_[r.benchmark_name()] = it->second;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        auto ours = rates_.find(ours_), theirs = rates_.find(theirs_);
        if (ours != rates_.end() && theirs != rates_.end() && theirs->second > 0)
            std::printf("%s: %.2f\n", label_.c_str(), ours->second / theirs->second);
    }

private:
    std::string ours_, theirs_, label_;
    std::map<std::string, double> rates_;
};

}  // namespace yov_bench
