// Held-out draws, the class level rule and the error arithmetic of the bootstrap.
#include "evaluation/Bootstrap.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "evaluation/ErrorCounting.h"
#include "evaluation/Recognition.h"

namespace motifora {

int32_t heldOutCount(int32_t n, int32_t percent) {
    const double share = static_cast<double>(n) * percent * 0.01;
    const double h = std::ceil(share) - 1;
    if (!(h > 0)) return 0;
    if (h >= static_cast<double>(n)) return std::max(n - 1, 0);
    return static_cast<int32_t>(h);
}

std::vector<int32_t> drawDistinct(RandomSequence& random, int32_t n, int32_t h) {
    std::vector<int32_t> drawn;
    if (h < 1 || h >= n) return drawn;
    drawn.reserve(static_cast<size_t>(h));
    std::vector<bool> taken(static_cast<size_t>(n), false);
    for (int32_t d = 0; d < h; ++d) {
        int32_t a = RandomIndex(random, n);
        while (taken[static_cast<size_t>(a)]) a = RandomIndex(random, n);
        taken[static_cast<size_t>(a)] = true;
        drawn.push_back(a);
    }
    return drawn;
}

void splitSample(const Sequence* records, int32_t n, const std::vector<int32_t>& drawn,
                 std::vector<Sequence>& kept, std::vector<Sequence>& heldOut) {
    kept.clear();
    heldOut.clear();
    std::vector<bool> isDrawn(static_cast<size_t>(std::max(n, 0)), false);
    for (int32_t a : drawn) {
        if (a >= 0 && a < n) isDrawn[static_cast<size_t>(a)] = true;
    }
    for (int32_t i = 0; i < n; ++i) {
        Sequence copy;
        copy.assign(records[i].text, records[i].name, 1);
        (isDrawn[static_cast<size_t>(i)] ? heldOut : kept).push_back(std::move(copy));
    }
}

double bootstrapLevel(std::vector<double> scores, double e) {
    const int32_t i = static_cast<int32_t>(scores.size());
    if (i == 0) return std::numeric_limits<double>::infinity();
    sortScores(scores);
    const auto s = [&](int32_t k) { return scores[static_cast<size_t>(k)]; };
    if (e == 0) return s(0) - 0.5;
    if (e == 1) return s(i - 1) + 0.5;
    if (i == 1) return s(0) - 0.5;
    if (i <= 2) return (s(0) + s(1)) / 2;
    return levelAmongSorted(scores, e);
}

double iterationFirstError(int32_t heldOut, int32_t recognized) {
    if (heldOut <= 0) return 0.0;
    return static_cast<double>(heldOut - recognized) / heldOut;
}

double iterationSecondError(int32_t accepted, int32_t negatives) {
    if (negatives <= 0) return 0.0;
    return static_cast<double>(accepted) / negatives;
}

double shownAverage(const std::vector<std::string>& texts, int32_t iterations,
                    const NumberFormat& numbers) {
    if (iterations < 1) return 0.0;
    double sum = 0.0;
    for (const std::string& text : texts) {
        double value = 0.0;
        if (readShownNumber(numbers, text, value)) sum += value;
    }
    return sum / iterations;
}

}  // namespace motifora
