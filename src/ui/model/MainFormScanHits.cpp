// The places of a scanning recognition in the main window: the record and position of a chart
// point, and the hit table of runs above the level.
#include <cmath>

#include "ui/model/TMainForm.h"
#include "workspace/TMainManager.h"

namespace motifora {

namespace {

// The chart shows window k at x = k + 1.
int64_t windowAt(double x) {
    if (!std::isfinite(x) || x < 1.0 || x > 9.0e15) return -1;
    return std::llround(x) - 1;
}

}  // namespace

std::string TMainForm::scanPlaceText(double x) const {
    std::lock_guard<std::recursive_mutex> lock(const_cast<std::recursive_mutex&>(mutex_));
    const ScanPlace place = scanPlaces_.locate(windowAt(x));
    if (place.record < 0) return "";
    return scanPlaces_.records()[static_cast<size_t>(place.record)].name + ", position " +
           std::to_string(place.position);
}

void TMainForm::fillScanHits(double level) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    std::vector<double> scores;
    for (const auto& point : Chart1.series(0)) scores.push_back(point.second);
    const std::vector<ScanRun> runs =
        scanRuns(scanPlaces_, scores.data(), static_cast<int64_t>(scores.size()), level);
    ScanHitsList.setColCount(6);
    ScanHitsList.setRowCount(static_cast<int32_t>(runs.size()) + 1);
    ScanHitsList.setHeaders({"Record", "Start", "End", "Best score", "Best at", "Chart"});
    ScanHitsList.clearDataRows();
    const int64_t lastLetter = scanPlaces_.width() - 1;
    int32_t row = 1;
    for (const ScanRun& run : runs) {
        const ScanPlace first = scanPlaces_.locate(run.firstWindow);
        const ScanPlace last = scanPlaces_.locate(run.lastWindow);
        const ScanPlace best = scanPlaces_.locate(run.bestWindow);
        ScanHitsList.setCell(0, row, scanPlaces_.records()[static_cast<size_t>(run.record)].name);
        ScanHitsList.setCell(1, row, std::to_string(first.position));
        ScanHitsList.setCell(2, row, std::to_string(last.position + lastLetter));
        ScanHitsList.setCell(3, row, numberFormat.fixed(run.best, 2));
        ScanHitsList.setCell(4, row, std::to_string(best.position));
        ScanHitsList.setCell(
            5, row,
            std::to_string(run.firstWindow + 1) + "..." + std::to_string(run.lastWindow + 1));
        ++row;
    }
    ScanHitsList.setVisible(scanPlaces_.windowCount() > 0);
}

}  // namespace motifora
