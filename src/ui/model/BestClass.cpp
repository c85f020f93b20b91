// The best of a row's class scores.
#include "ui/model/BestClass.h"

#include <cmath>

#include "evaluation/Recognition.h"

namespace motifora {

std::string bestClassCell(const std::vector<std::string>& cells, const NumberFormat& numbers) {
    const std::string* best = nullptr;
    double bestScore = 0.0;
    for (const std::string& cell : cells) {
        double score = 0.0;
        if (!readScoreCell(numbers, cell, score) || std::isnan(score)) continue;
        if (best == nullptr || score > bestScore) {
            best = &cell;
            bestScore = score;
        }
    }
    return best != nullptr ? *best : std::string();
}

}  // namespace motifora
