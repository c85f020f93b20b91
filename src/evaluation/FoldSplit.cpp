// Stratified fold assignment from a seeded, platform-independent shuffle.
#include "evaluation/FoldSplit.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <random>
#include <utility>

namespace motifora {

namespace {

// A uniform draw from 0 ... bound - 1 by rejection (std::uniform_int_distribution may differ
// between standard libraries; the engine itself does not).
uint64_t uniformBelow(std::mt19937_64& engine, uint64_t bound) {
    const uint64_t limit =
        std::numeric_limits<uint64_t>::max() - std::numeric_limits<uint64_t>::max() % bound;
    uint64_t x = engine();
    while (x >= limit) x = engine();
    return x % bound;
}

std::vector<int32_t> shuffled(std::mt19937_64& engine, int32_t n) {
    std::vector<int32_t> order(static_cast<size_t>(std::max(n, 0)));
    std::iota(order.begin(), order.end(), 0);
    for (size_t i = order.size(); i > 1; --i) {
        const size_t j = static_cast<size_t>(uniformBelow(engine, i));
        std::swap(order[i - 1], order[j]);
    }
    return order;
}

}  // namespace

FoldAssignment stratifiedFolds(int32_t positives, int32_t negatives, int32_t k, uint64_t seed) {
    FoldAssignment split;
    if (k < 2) return split;
    split.folds = k;
    std::mt19937_64 engine(seed);
    const std::vector<int32_t> positiveOrder = shuffled(engine, positives);
    const std::vector<int32_t> negativeOrder = shuffled(engine, negatives);
    split.positiveFold.assign(positiveOrder.size(), 0);
    split.negativeFold.assign(negativeOrder.size(), 0);
    int32_t next = 0;
    for (int32_t index : positiveOrder) {
        split.positiveFold[static_cast<size_t>(index)] = next;
        next = (next + 1) % k;
    }
    for (int32_t index : negativeOrder) {
        split.negativeFold[static_cast<size_t>(index)] = next;
        next = (next + 1) % k;
    }
    return split;
}

std::vector<int32_t> indexesInFold(const std::vector<int32_t>& folds, int32_t fold) {
    std::vector<int32_t> indexes;
    for (size_t i = 0; i < folds.size(); ++i) {
        if (folds[i] == fold) indexes.push_back(static_cast<int32_t>(i));
    }
    return indexes;
}

std::vector<int32_t> indexesOutsideFold(const std::vector<int32_t>& folds, int32_t fold) {
    std::vector<int32_t> indexes;
    for (size_t i = 0; i < folds.size(); ++i) {
        if (folds[i] != fold) indexes.push_back(static_cast<int32_t>(i));
    }
    return indexes;
}

}  // namespace motifora
