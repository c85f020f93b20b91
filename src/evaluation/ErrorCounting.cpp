// Histograms, levels and error counts of the recognition error counting.
#include "evaluation/ErrorCounting.h"

#include <algorithm>
#include <cmath>

namespace motifora {

std::string recognizedText(int64_t recognized, int64_t total) {
    return "Recognized " + std::to_string(recognized) + " out of " + std::to_string(total);
}

double histogramBin(double score) { return std::floor(score * 0.1) * 10 + 5; }

void addToHistogram(ChartPoints& series, double bin, double increment) {
    for (auto& point : series) {
        if (point.first == bin) {
            point.second += increment;
            return;
        }
    }
    // Not-a-number bins (from not-a-number scores) go last, like any point a chart cannot order.
    auto place = std::find_if(series.begin(), series.end(),
                              [bin](const auto& point) { return point.first > bin; });
    series.insert(place, {bin, increment});
}

ChartPoints classHistogram(const SEQSElem* objects, int32_t count, int32_t c, double increment) {
    ChartPoints series;
    for (int32_t i = 0; i < count; ++i) {
        if (objects[i].classNumber != c) continue;
        addToHistogram(series, histogramBin(objects[i].score), increment);
    }
    return series;
}

namespace {

// Smallest and largest x of a series, skipping not-a-number bins; false when none is left.
bool xRange(const ChartPoints& series, double& xmin, double& xmax) {
    bool any = false;
    for (const auto& point : series) {
        if (std::isnan(point.first)) continue;
        xmin = any ? std::min(xmin, point.first) : point.first;
        xmax = any ? std::max(xmax, point.first) : point.first;
        any = true;
    }
    return any;
}

}  // namespace

double proposedLevel(const ChartPoints& negative, const ChartPoints& positive) {
    double nmin = 0, nmax = 0, pmin = 0, pmax = 0;
    const bool hasNegative = xRange(negative, nmin, nmax);
    const bool hasPositive = xRange(positive, pmin, pmax);
    if (hasNegative && hasPositive) return (pmin + nmax) / 2;
    if (hasPositive) return pmin - 5;
    if (hasNegative) return nmax + 5;
    return 0.0;
}

int32_t uncountedObjects(const SEQSElem* objects, int32_t count) {
    int32_t uncounted = 0;
    for (int32_t i = 0; objects != nullptr && i < count; ++i)
        if (objects[i].classNumber < 0) ++uncounted;
    return uncounted;
}

SecondLevelCount countSecondLevel(const SEQSElem* objects, int32_t count, int32_t total, int32_t c,
                                  double level) {
    SecondLevelCount result;
    result.total = total;
    result.recognized.assign(static_cast<size_t>(std::max(count, 0)), false);
    for (int32_t i = 0; i < count; ++i) {
        if (objects[i].classNumber == c && objects[i].score > level) {
            ++result.count;
            result.recognized[static_cast<size_t>(i)] = true;
        }
    }
    result.error = total > 0 ? static_cast<double>(result.count) / total : 0.0;
    return result;
}

FirstLevelCount countFirstLevel(const std::vector<PositiveRow>& rows, int32_t c, double level,
                                bool controlSide, const NumberFormat& numbers) {
    FirstLevelCount result;
    result.results.resize(rows.size());
    for (size_t r = 0; r < rows.size(); ++r) {
        const PositiveRow& row = rows[r];
        if (controlSide && row.classText == "New") {
            result.results[r] = kNotRecognizedText;
            continue;
        }
        int32_t shown = 0;
        const bool ofClass =
            NumberFormat::readInteger(row.classText, shown) && int64_t{shown} - 1 == c;
        if (ofClass) {
            ++result.count;
            double score = 0;
            if (readShownNumber(numbers, row.scoreText, score) && score >= level) {
                result.results[r] = kRecognizedText;
            } else {
                ++result.misses;
                result.results[r] = kNotRecognizedText;
            }
        } else if (controlSide && row.scoreText.empty()) {
            result.results[r] = kNotRecognizedText;
        }
    }
    result.error = result.count > 0 ? static_cast<double>(result.misses) / result.count : 0.0;
    return result;
}

void sortScores(std::vector<double>& scores) {
    std::sort(scores.begin(), scores.end(), [](double a, double b) {
        if (std::isnan(a)) return false;
        if (std::isnan(b)) return true;
        return a < b;
    });
}

std::optional<double> levelFromFirstError(std::vector<double> scores, double e) {
    const int32_t m = static_cast<int32_t>(scores.size());
    if (m <= 1) return std::nullopt;
    sortScores(scores);
    const auto s = [&](int32_t i) { return scores[static_cast<size_t>(i)]; };
    if (e == 0) return s(0) - 1;
    if (m == 2) return (s(0) + s(1)) / 2;
    return levelAmongSorted(scores, e);
}

double levelAmongSorted(const std::vector<double>& sorted, double e) {
    const int32_t m = static_cast<int32_t>(sorted.size());
    const auto s = [&](int32_t i) { return sorted[static_cast<size_t>(i)]; };
    for (int32_t k = 0; k < m; ++k) {
        const double low = static_cast<double>(k) / m;
        const double high = static_cast<double>(k + 1) / m;
        if (!(low <= e && e <= high)) continue;
        const int32_t first = (high - e >= e - low) ? k : k + 1;
        // Beyond the highest score: half a unit above it.
        if (first + 1 >= m) return s(m - 1) + 0.5;
        return (s(first) + s(first + 1)) / 2;
    }
    return 0.0;
}

ErrorTotals errorTotals(int32_t positives, int32_t misses, int32_t accepted, int32_t negatives) {
    ErrorTotals totals{positives, misses, accepted, negatives, 0.0, 0.0};
    if (positives > 0) totals.firstError = static_cast<double>(misses) / positives;
    if (negatives > 0) totals.secondError = static_cast<double>(accepted) / negatives;
    return totals;
}

}  // namespace motifora
