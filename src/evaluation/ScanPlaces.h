// Where the windows of a scanning recognition lie: the record and the position within it of every
// window, and the runs of windows scoring above a level, record by record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Sequence.h"

namespace motifora {

// One scanned record: its name, its letters and the windows it gave.
struct ScanRecordSpan {
    std::string name;
    int32_t length = 0;
    int64_t firstWindow = 0;  // 0-based index of its first window among all windows
    int64_t windows = 0;      // length - w + 1, or 0 for a record shorter than w
};

// A window's place: the record (its index among the scanned records, -1 for none) and the
// 1-based position of the window's first letter within it.
struct ScanPlace {
    int32_t record = -1;
    int64_t position = 0;
};

// The windows of width w along records, in the order the scan cuts them: every start of the first
// record, then of the second, and so on; records shorter than w give none.
class ScanPlaces {
  public:
    ScanPlaces() = default;
    ScanPlaces(const Sequence* records, int32_t count, int32_t w);

    int32_t width() const { return width_; }
    int64_t windowCount() const { return windows_; }
    const std::vector<ScanRecordSpan>& records() const { return records_; }
    // The place of window k (0-based); record -1 when k is not a window.
    ScanPlace locate(int64_t k) const;

  private:
    std::vector<ScanRecordSpan> records_;
    int32_t width_ = 0;
    int64_t windows_ = 0;
};

// A run of consecutive windows of one record scoring above a level.
struct ScanRun {
    int32_t record = 0;
    int64_t firstWindow = 0;  // 0-based indexes among all windows
    int64_t lastWindow = 0;
    int64_t bestWindow = 0;  // the first window of the best score
    double best = 0.0;
};

// The runs of `scores` (one per window of `places`, in order; `count` of them): a run opens at a
// window scoring above `level`, goes on while the windows score at least `level`, and ends before
// the first that does not (a score that is not a number ends it too) or at the end of its record.
// Scores beyond the places' windows are ignored.
std::vector<ScanRun> scanRuns(const ScanPlaces& places, const double* scores, int64_t count,
                              double level);

}  // namespace motifora
