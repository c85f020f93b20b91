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
    scanRuns_ = scanRuns(scanPlaces_, scores.data(), static_cast<int64_t>(scores.size()), level);
    const std::vector<ScanRun>& runs = scanRuns_;
    ScanHitLetters.setText("");
    ScanHitLetters.setVisible(scanPlaces_.windowCount() > 0);
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

void TMainForm::markScanRecords() {
    std::vector<Chart::Mark> marks;
    // Window k is drawn at x = k + 1: a record's boundary lies half a step before its first.
    for (const ScanRecordSpan& record : scanPlaces_.records())
        if (record.windows > 0)
            marks.push_back({static_cast<double>(record.firstWindow) + 0.5, record.name});
    Chart1.setMarks(std::move(marks));
}

bool TMainForm::ShowScanHit(int32_t row) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (row < 1 || static_cast<size_t>(row) > scanRuns_.size()) return false;
    const ScanRun& run = scanRuns_[static_cast<size_t>(row) - 1];
    ScanHitsList.select(row, row);
    const ScanPlace first = scanPlaces_.locate(run.firstWindow);
    const int64_t end = scanPlaces_.locate(run.lastWindow).position + scanPlaces_.width() - 1;
    const std::string& name = scanPlaces_.records()[static_cast<size_t>(run.record)].name;
    std::string letters;
    const TMainManager& m = manager();
    if (run.record < static_cast<int32_t>(m.controlNegative.size())) {
        const std::string& text = m.controlNegative[static_cast<size_t>(run.record)].text;
        const auto from = static_cast<size_t>(first.position - 1);
        if (from < text.size()) letters = text.substr(from, static_cast<size_t>(end) - from);
    }
    // A long run shows its beginning.
    constexpr size_t kShownLetters = 120;
    if (letters.size() > kShownLetters) letters = letters.substr(0, kShownLetters) + "...";
    ScanHitLetters.setText(name + " " + std::to_string(first.position) + ".." +
                           std::to_string(end) + ": " + letters);
    return true;
}

int32_t TMainForm::ScanChartClicked(double x, double reach) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    int32_t nearest = -1;
    double distance = reach;
    for (size_t i = 0; i < scanRuns_.size(); ++i) {
        // The run covers chart positions firstWindow + 1 .. lastWindow + 1.
        const double from = static_cast<double>(scanRuns_[i].firstWindow) + 1;
        const double to = static_cast<double>(scanRuns_[i].lastWindow) + 1;
        const double away = x < from ? from - x : x > to ? x - to : 0.0;
        if (away <= distance && (nearest < 0 || away < distance)) {
            nearest = static_cast<int32_t>(i) + 1;
            distance = away;
        }
    }
    if (nearest > 0) ShowScanHit(nearest);
    return nearest;
}

}  // namespace motifora
