// Places of scanning windows and the runs above a level.
#include "evaluation/ScanPlaces.h"

#include <algorithm>

namespace motifora {

ScanPlaces::ScanPlaces(const Sequence* records, int32_t count, int32_t w) : width_(w) {
    if (records == nullptr || count <= 0 || w < 1) return;
    records_.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        ScanRecordSpan span;
        span.name = records[i].name;
        span.length = records[i].length;
        span.firstWindow = windows_;
        span.windows = std::max<int64_t>(int64_t{span.length} - w + 1, 0);
        windows_ += span.windows;
        records_.push_back(std::move(span));
    }
}

ScanPlace ScanPlaces::locate(int64_t k) const {
    ScanPlace place;
    if (k < 0 || k >= windows_) return place;
    // The last record whose first window is at or before k and that has windows.
    auto it = std::upper_bound(
        records_.begin(), records_.end(), k,
        [](int64_t value, const ScanRecordSpan& span) { return value < span.firstWindow; });
    while (it != records_.begin()) {
        --it;
        if (it->windows > 0 && k < it->firstWindow + it->windows) {
            place.record = static_cast<int32_t>(it - records_.begin());
            place.position = k - it->firstWindow + 1;
            return place;
        }
    }
    return place;
}

std::vector<ScanRun> scanRuns(const ScanPlaces& places, const double* scores, int64_t count,
                              double level) {
    std::vector<ScanRun> runs;
    if (scores == nullptr) return runs;
    count = std::min(count, places.windowCount());
    const std::vector<ScanRecordSpan>& records = places.records();
    for (size_t r = 0; r < records.size(); ++r) {
        const int64_t first = records[r].firstWindow;
        const int64_t end = std::min(first + records[r].windows, count);
        bool open = false;
        ScanRun run;
        for (int64_t k = first; k < end; ++k) {
            const double s = scores[k];
            if (open && !(s >= level)) {
                runs.push_back(run);
                open = false;
            }
            if (!open) {
                if (!(s > level)) continue;
                open = true;
                run = {static_cast<int32_t>(r), k, k, k, s};
                continue;
            }
            run.lastWindow = k;
            if (s > run.best) {
                run.best = s;
                run.bestWindow = k;
            }
        }
        if (open) runs.push_back(run);
    }
    return runs;
}

}  // namespace motifora
