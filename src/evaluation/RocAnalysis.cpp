// ROC, precision-recall, DeLong's interval, Wilson intervals, levels and histograms.
#include "evaluation/RocAnalysis.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace motifora {

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A score as it ranks: not-a-number below everything.
double ranked(double score) { return std::isnan(score) ? -kInfinity : score; }

std::vector<double> sortedRanked(const std::vector<double>& scores) {
    std::vector<double> sorted;
    sorted.reserve(scores.size());
    for (double s : scores) sorted.push_back(ranked(s));
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

// Sorted scores strictly above `level`.
int32_t countAbove(const std::vector<double>& sorted, double level) {
    return static_cast<int32_t>(sorted.end() -
                                std::upper_bound(sorted.begin(), sorted.end(), level));
}

double between(double high, double low) {
    const bool highFinite = std::isfinite(high);
    const bool lowFinite = std::isfinite(low);
    if (highFinite && lowFinite) return low + (high - low) / 2;
    if (lowFinite) return low + 1;
    if (highFinite) return high - 1;
    return 0.0;
}

double rate(int32_t count, int32_t total) {
    return total > 0 ? static_cast<double>(count) / total : 0.0;
}

}  // namespace

std::vector<double> candidateLevels(const LabelledScores& scores) {
    std::vector<double> all = sortedRanked(scores.positives);
    const std::vector<double> negatives = sortedRanked(scores.negatives);
    all.insert(all.end(), negatives.begin(), negatives.end());
    if (all.empty()) return {0.0};
    std::sort(all.begin(), all.end(), std::greater<>());
    all.erase(std::unique(all.begin(), all.end()), all.end());
    std::vector<double> levels;
    levels.reserve(all.size() + 1);
    const double top = all.front();
    levels.push_back(std::isfinite(top) ? top + 0.5 : top);
    for (size_t i = 1; i < all.size(); ++i) levels.push_back(between(all[i - 1], all[i]));
    const double bottom = all.back();
    levels.push_back(std::isfinite(bottom) ? bottom - 0.5 : bottom);
    return levels;
}

LevelErrors errorsAtLevel(const LabelledScores& scores, double level) {
    const std::vector<double> positives = sortedRanked(scores.positives);
    const std::vector<double> negatives = sortedRanked(scores.negatives);
    const int32_t p = static_cast<int32_t>(positives.size());
    const int32_t n = static_cast<int32_t>(negatives.size());
    LevelErrors errors;
    errors.level = level;
    errors.first = wilsonProportion(p - countAbove(positives, level), p);
    errors.second = wilsonProportion(countAbove(negatives, level), n);
    return errors;
}

std::vector<RocPoint> rocCurve(const LabelledScores& scores) {
    std::vector<RocPoint> points;
    if (scores.positives.empty() || scores.negatives.empty()) return points;
    const std::vector<double> positives = sortedRanked(scores.positives);
    const std::vector<double> negatives = sortedRanked(scores.negatives);
    const int32_t p = static_cast<int32_t>(positives.size());
    const int32_t n = static_cast<int32_t>(negatives.size());
    for (double level : candidateLevels(scores)) {
        points.push_back(
            {level, rate(countAbove(negatives, level), n), rate(countAbove(positives, level), p)});
    }
    // An infinite lowest score cannot be passed by a level; the curve still ends where
    // everything is called positive.
    if (points.back().falsePositiveRate < 1.0 || points.back().truePositiveRate < 1.0)
        points.push_back({-kInfinity, 1.0, 1.0});
    return points;
}

std::vector<PrPoint> precisionRecallCurve(const LabelledScores& scores) {
    std::vector<PrPoint> points;
    if (scores.positives.empty()) return points;
    const std::vector<double> positives = sortedRanked(scores.positives);
    const std::vector<double> negatives = sortedRanked(scores.negatives);
    const int32_t p = static_cast<int32_t>(positives.size());
    for (double level : candidateLevels(scores)) {
        const int32_t truePositives = countAbove(positives, level);
        const int32_t falsePositives = countAbove(negatives, level);
        if (truePositives + falsePositives == 0) continue;
        points.push_back(
            {level, rate(truePositives, p), rate(truePositives, truePositives + falsePositives)});
    }
    return points;
}

AucEstimate aucWithDeLongInterval(const LabelledScores& scores) {
    AucEstimate estimate;
    const std::vector<double> positives = sortedRanked(scores.positives);
    const std::vector<double> negatives = sortedRanked(scores.negatives);
    const size_t m = positives.size();
    const size_t n = negatives.size();
    if (m == 0 || n == 0) return estimate;
    estimate.defined = true;
    // Placement values: a positive's share of negatives it outscores, a negative's share of
    // positives that outscore it (ties one half).
    auto placement = [](const std::vector<double>& others, double x, bool countBelow) {
        const auto lower = std::lower_bound(others.begin(), others.end(), x);
        const auto upper = std::upper_bound(others.begin(), others.end(), x);
        const double ties = static_cast<double>(upper - lower);
        const double beyond = countBelow ? static_cast<double>(lower - others.begin())
                                         : static_cast<double>(others.end() - upper);
        return (beyond + 0.5 * ties) / static_cast<double>(others.size());
    };
    std::vector<double> v10(m), v01(n);
    double sum = 0.0;
    for (size_t i = 0; i < m; ++i) {
        v10[i] = placement(negatives, positives[i], true);
        sum += v10[i];
    }
    for (size_t j = 0; j < n; ++j) v01[j] = placement(positives, negatives[j], false);
    estimate.auc = sum / static_cast<double>(m);
    if (m < 2 || n < 2) {
        estimate.low = 0.0;
        estimate.high = 1.0;
        return estimate;
    }
    auto variance = [&](const std::vector<double>& v) {
        double squares = 0.0;
        for (double x : v) squares += (x - estimate.auc) * (x - estimate.auc);
        return squares / static_cast<double>(v.size() - 1);
    };
    const double var =
        variance(v10) / static_cast<double>(m) + variance(v01) / static_cast<double>(n);
    estimate.standardError = std::sqrt(var);
    estimate.low = std::max(0.0, estimate.auc - kZ95 * estimate.standardError);
    estimate.high = std::min(1.0, estimate.auc + kZ95 * estimate.standardError);
    return estimate;
}

Proportion wilsonProportion(int32_t count, int32_t total) {
    Proportion result;
    result.count = count;
    result.total = total;
    if (total <= 0) return result;
    const double nn = total;
    const double p = count / nn;
    const double z2 = kZ95 * kZ95;
    const double denominator = 1 + z2 / nn;
    const double centre = (p + z2 / (2 * nn)) / denominator;
    const double half = kZ95 * std::sqrt(p * (1 - p) / nn + z2 / (4 * nn * nn)) / denominator;
    result.rate = p;
    result.low = std::max(0.0, centre - half);
    result.high = std::min(1.0, centre + half);
    return result;
}

double chooseLevel(const LabelledScores& scores, LevelRule rule, double wantedFirstError) {
    const std::vector<double> levels = candidateLevels(scores);
    // A hair of tolerance so that a wish of exactly k / n admits k misses.
    constexpr double kTolerance = 1e-12;
    if (rule == LevelRule::kWantedFirstError) {
        for (double level : levels) {
            if (errorsAtLevel(scores, level).first.rate <= wantedFirstError + kTolerance)
                return level;
        }
        return levels.back();
    }
    double best = levels.front();
    double bestAccuracy = -1.0;
    for (double level : levels) {
        const LevelErrors errors = errorsAtLevel(scores, level);
        const double accuracy = ((1 - errors.first.rate) + (1 - errors.second.rate)) / 2;
        if (accuracy > bestAccuracy + kTolerance) {
            bestAccuracy = accuracy;
            best = level;
        }
    }
    return best;
}

ScoreHistogram scoreHistogram(const LabelledScores& scores, int32_t bins) {
    ScoreHistogram histogram;
    if (bins < 1) bins = 1;
    double low = kInfinity;
    double high = -kInfinity;
    for (const auto* side : {&scores.positives, &scores.negatives}) {
        for (double s : *side) {
            if (!std::isfinite(s)) continue;
            low = std::min(low, s);
            high = std::max(high, s);
        }
    }
    if (!(low <= high)) {
        low = 0.0;
        high = 0.0;
    }
    if (high == low) bins = 1;
    histogram.low = low;
    histogram.binWidth = (high - low) / bins;
    histogram.positives.assign(static_cast<size_t>(bins), 0);
    histogram.negatives.assign(static_cast<size_t>(bins), 0);
    auto binOf = [&](double s) -> size_t {
        if (std::isnan(s) || s <= low || histogram.binWidth == 0.0) return 0;
        if (s >= high) return static_cast<size_t>(bins - 1);
        const auto b = static_cast<int32_t>((s - low) / histogram.binWidth);
        return static_cast<size_t>(std::clamp(b, 0, bins - 1));
    };
    for (double s : scores.positives) ++histogram.positives[binOf(s)];
    for (double s : scores.negatives) ++histogram.negatives[binOf(s)];
    return histogram;
}

}  // namespace motifora
