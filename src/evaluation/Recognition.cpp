// Score cells, arranged rows, window scoring and the position chart of the recognition.
#include "evaluation/Recognition.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "classify/Classificator.h"

namespace motifora {

std::string scoreCell(const NumberFormat& numbers, int32_t classIndex, double score) {
    return std::to_string(int64_t{classIndex} + 1) + ":" + numbers.fixed(score, 2);
}

bool readShownNumber(const NumberFormat& numbers, const std::string& text, double& value) {
    if (numbers.tryReadReal(text, value)) return true;
    const NumberFormat other(numbers.separator() == ',' ? '.' : ',');
    if (other.tryReadReal(text, value)) return true;
    if (text == "INF") {
        value = std::numeric_limits<double>::infinity();
        return true;
    }
    if (text == "-INF") {
        value = -std::numeric_limits<double>::infinity();
        return true;
    }
    if (text == "NAN") {
        value = std::numeric_limits<double>::quiet_NaN();
        return true;
    }
    return false;
}

bool readScoreCell(const NumberFormat& numbers, const std::string& cell, double& value) {
    const size_t colon = cell.find(':');
    if (colon == std::string::npos) return false;
    return readShownNumber(numbers, cell.substr(colon + 1), value);
}

void placeClassScore(std::vector<std::string>& cells, int32_t j, double s, bool arranged,
                     const NumberFormat& numbers) {
    if (j < 0) return;
    if (cells.size() < static_cast<size_t>(j) + 1) cells.resize(static_cast<size_t>(j) + 1);
    int32_t q = j;
    if (arranged && j != 0) {
        // v starts above s so that the loop is entered; each step looks one cell further left.
        double v = s + 1;
        int32_t t = j;
        // A not-a-number s compares false with everything: the cell simply goes to column j.
        bool go = v > s;
        while (go && t > 0) {
            t = t - 1;
            if (!readScoreCell(numbers, cells[static_cast<size_t>(t)], v)) break;
            if (v > s) {
                cells[static_cast<size_t>(t) + 1] = cells[static_cast<size_t>(t)];
                q = t;
            }
            go = v > s;
        }
    }
    cells[static_cast<size_t>(q)] = scoreCell(numbers, j, s);
}

int64_t scanWindowCount(const Sequence* records, int32_t count, int32_t w) {
    if (w < 1 || records == nullptr) return 0;
    int64_t total = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t length = records[i].length;
        if (length >= w) total += int64_t{length} - w + 1;
    }
    return total;
}

void scoreWindows(Classificator& classificator, const SEQSElem* objects, int32_t count, int32_t c,
                  std::vector<double>& out) {
    out.assign(static_cast<size_t>(std::max(count, 0)), 0.0);
    for (int32_t k = 0; k < count; ++k)
        out[static_cast<size_t>(k)] = classificator.ScoreObject(objects[k], k, c);
}

PositionChart positionChart(const double* scores, int32_t count) {
    PositionChart chart;
    if (count <= 0 || scores == nullptr) return chart;
    chart.scores.reserve(static_cast<size_t>(count));
    double ymin = std::numeric_limits<double>::infinity();
    double ymax = -std::numeric_limits<double>::infinity();
    bool any = false;
    for (int32_t k = 0; k < count; ++k) {
        const double y = scores[k];
        chart.scores.emplace_back(static_cast<double>(k) + 1, y);
        if (std::isnan(y)) continue;
        ymin = std::min(ymin, y);
        ymax = std::max(ymax, y);
        any = true;
    }
    chart.mid = any ? (ymin + ymax) / 2 : 0.0;
    chart.level = {{1.0, chart.mid}, {static_cast<double>(count), chart.mid}};
    return chart;
}

ChartPoints levelLine(const ChartPoints& series, double level) {
    if (series.empty()) return {};
    double xmin = series.front().first, xmax = series.front().first;
    for (const auto& point : series) {
        xmin = std::min(xmin, point.first);
        xmax = std::max(xmax, point.first);
    }
    return {{xmin, level}, {xmax, level}};
}

}  // namespace motifora
