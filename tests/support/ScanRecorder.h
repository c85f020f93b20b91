// A genome scan sink that keeps everything the scan reports, in order, for the tests of the
// scanner and of the windows that run it.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "genome/GenomeScan.h"

namespace motifora::test {

struct ScanRecorder : ScanSink {
    struct Window {
        std::string record;
        int64_t start;
        double best;
        bool valid;
    };
    void recordStart(const FastaRecord& record) override { starts.push_back(record.name); }
    void windows(const FastaRecord& record, int64_t first, std::span<const double> best,
                 std::span<const uint8_t> valid) override {
        for (size_t j = 0; j < best.size(); ++j)
            all.push_back({record.name, first + static_cast<int64_t>(j), best[j], valid[j] != 0});
    }
    void hit(const FastaRecord& record, const ScanHit& hit) override {
        hits.emplace_back(record.name, hit);
    }
    void recordEnd(const FastaRecord& record, int64_t letters) override {
        lengths[record.name] = letters;
    }
    std::vector<std::string> starts;  // record names, in file order
    std::vector<Window> all;
    std::vector<std::pair<std::string, ScanHit>> hits;
    std::map<std::string, int64_t> lengths;
};

// The best score and validity of every window a scan reports, in order, and its hits.
struct WindowScores : ScanSink {
    void windows(const FastaRecord&, int64_t, std::span<const double> scores,
                 std::span<const uint8_t> ok) override {
        best.insert(best.end(), scores.begin(), scores.end());
        valid.insert(valid.end(), ok.begin(), ok.end());
    }
    void hit(const FastaRecord&, const ScanHit& found) override { hits.push_back(found); }
    std::vector<double> best;
    std::vector<uint8_t> valid;
    std::vector<ScanHit> hits;
};

}  // namespace motifora::test
