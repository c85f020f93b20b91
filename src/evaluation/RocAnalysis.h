// Threshold analysis of labelled scores: ROC and precision-recall curves, the area under the ROC
// curve with DeLong's interval, score histograms, a level chosen from the scores and the error
// rates at a level with Wilson intervals.
#pragma once

#include <cstdint>
#include <vector>

namespace motifora {

// A sequence is called positive when its score is strictly above the level. A score that is not
// a number ranks below every other score (it is never above any level).
struct LabelledScores {
    std::vector<double> positives;
    std::vector<double> negatives;
};

struct RocPoint {
    double level = 0.0;  // scores strictly above it are called positive
    double falsePositiveRate = 0.0;
    double truePositiveRate = 0.0;
};

struct PrPoint {
    double level = 0.0;
    double recall = 0.0;
    double precision = 0.0;
};

// The area under the ROC curve (the chance that a positive outscores a negative, ties counting
// one half) with the 95 % interval of DeLong, DeLong and Clarke-Pearson (1988), clipped to
// [0, 1]. `defined` is false without a positive or a negative (every figure is then 0); the
// interval needs two of each and is [0, 1] otherwise.
struct AucEstimate {
    bool defined = false;
    double auc = 0.0;
    double standardError = 0.0;
    double low = 0.0;
    double high = 0.0;
};

// A proportion k / n with its 95 % Wilson score interval; rate and interval 0 when n is 0.
struct Proportion {
    int32_t count = 0;
    int32_t total = 0;
    double rate = 0.0;
    double low = 0.0;
    double high = 0.0;
};

// First-level errors: positives not above the level; second-level errors: negatives above it.
struct LevelErrors {
    double level = 0.0;
    Proportion first;
    Proportion second;
};

enum class LevelRule : int32_t {
    kWantedFirstError = 0,  // the highest level whose first-level error stays within the wish
    kBalancedAccuracy = 1,  // the level of the best mean of the two correct rates
};

struct ScoreHistogram {
    double low = 0.0;                // left edge of the first bin
    double binWidth = 0.0;           // 0 when every finite score is the same (one bin)
    std::vector<int32_t> positives;  // per bin
    std::vector<int32_t> negatives;
};

// The z value of a two-sided 95 % interval.
constexpr double kZ95 = 1.959963984540054;

// The points of the empirical ROC curve, from (0, 0) (nothing called positive) to (1, 1), one per
// candidate level (see candidateLevels), the highest level first. Empty without a positive or a
// negative.
std::vector<RocPoint> rocCurve(const LabelledScores& scores);
// Precision against recall at each candidate level that calls something positive, the highest
// level first. Empty without a positive.
std::vector<PrPoint> precisionRecallCurve(const LabelledScores& scores);
AucEstimate aucWithDeLongInterval(const LabelledScores& scores);
Proportion wilsonProportion(int32_t count, int32_t total);

// The levels worth trying, highest first: above the highest score, between every two
// neighbouring distinct scores, below the lowest. Neighbours with an infinite side give the
// finite one +- 1; the outer levels are the extreme scores +- 0.5 (the extreme itself when it is
// infinite). Only {0} without any score.
std::vector<double> candidateLevels(const LabelledScores& scores);
// The errors when `level` divides the scores.
LevelErrors errorsAtLevel(const LabelledScores& scores, double level);
// The level the rule picks among the candidate levels. kWantedFirstError: the highest candidate
// whose first-level error rate is at most `wantedFirstError` (the lowest candidate when none
// is). kBalancedAccuracy: the highest candidate with the largest mean of the true positive and
// true negative rates (a side without sequences counts as all correct).
double chooseLevel(const LabelledScores& scores, LevelRule rule, double wantedFirstError);

// `bins` equal bins over the finite scores of both kinds (an infinite score falls into the end
// bin of its side, a score that is not a number into the first); one empty bin without scores.
ScoreHistogram scoreHistogram(const LabelledScores& scores, int32_t bins);

}  // namespace motifora
