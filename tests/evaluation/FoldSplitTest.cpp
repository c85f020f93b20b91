// The fold split: every record in one fold, each sample dealt evenly, the same split for the
// same seed.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "evaluation/FoldSplit.h"

namespace motifora {
namespace {

std::vector<int32_t> foldSizes(const std::vector<int32_t>& folds, int32_t k) {
    std::vector<int32_t> sizes(static_cast<size_t>(k), 0);
    for (int32_t f : folds) {
        EXPECT_TRUE(f >= 0 && f < k) << f;
        if (f >= 0 && f < k) ++sizes[static_cast<size_t>(f)];
    }
    return sizes;
}

TEST(FoldSplit, EachSampleIsDealtEvenlyAndTotalsDifferByOne) {
    struct Case {
        int32_t positives, negatives, k;
    };
    for (const Case c : {Case{53, 53, 5}, Case{7, 30, 3}, Case{10, 10, 10}, Case{2, 2401, 2},
                         Case{765, 1654, 5}}) {
        SCOPED_TRACE(testing::Message() << c.positives << " + " << c.negatives << " in " << c.k);
        const FoldAssignment split = stratifiedFolds(c.positives, c.negatives, c.k, 1);
        ASSERT_EQ(split.folds, c.k);
        ASSERT_EQ(split.positiveFold.size(), static_cast<size_t>(c.positives));
        ASSERT_EQ(split.negativeFold.size(), static_cast<size_t>(c.negatives));
        const auto pos = foldSizes(split.positiveFold, c.k);
        const auto neg = foldSizes(split.negativeFold, c.k);
        EXPECT_LE(
            *std::max_element(pos.begin(), pos.end()) - *std::min_element(pos.begin(), pos.end()),
            1);
        EXPECT_LE(
            *std::max_element(neg.begin(), neg.end()) - *std::min_element(neg.begin(), neg.end()),
            1);
        std::vector<int32_t> total(pos.size());
        for (size_t f = 0; f < pos.size(); ++f) total[f] = pos[f] + neg[f];
        EXPECT_LE(*std::max_element(total.begin(), total.end()) -
                      *std::min_element(total.begin(), total.end()),
                  1);
    }
}

TEST(FoldSplit, TheSeedDecidesTheSplit) {
    const FoldAssignment a = stratifiedFolds(53, 53, 5, 1);
    const FoldAssignment b = stratifiedFolds(53, 53, 5, 1);
    EXPECT_EQ(a.positiveFold, b.positiveFold);
    EXPECT_EQ(a.negativeFold, b.negativeFold);
    const FoldAssignment c = stratifiedFolds(53, 53, 5, 2);
    EXPECT_NE(a.positiveFold, c.positiveFold);
    // The records are shuffled, not dealt in file order.
    std::vector<int32_t> inOrder(53);
    for (int32_t i = 0; i < 53; ++i) inOrder[static_cast<size_t>(i)] = i % 5;
    EXPECT_NE(a.positiveFold, inOrder);
}

TEST(FoldSplit, FewerThanTwoFoldsIsNoSplit) {
    EXPECT_EQ(stratifiedFolds(10, 10, 1, 1).folds, 0);
    EXPECT_TRUE(stratifiedFolds(10, 10, 0, 1).positiveFold.empty());
}

TEST(FoldSplit, IndexesInAndOutsideAFoldPartitionTheRecords) {
    const std::vector<int32_t> folds{2, 0, 1, 0, 2, 1};
    EXPECT_EQ(indexesInFold(folds, 0), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(indexesOutsideFold(folds, 0), (std::vector<int32_t>{0, 2, 4, 5}));
    EXPECT_TRUE(indexesInFold(folds, 3).empty());
}

}  // namespace
}  // namespace motifora
