// Class-at-once scoring of objects and the per-sequence summary of their scores.
#include "evaluation/SequenceScores.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace motifora {

AllClassScorer::AllClassScorer(Classificator& classificator) : classificator_(classificator) {
    const RuleCellIndex& index = classificator.RuleIndex();
    const int32_t rules = std::min(classificator.ruleCount, index.RuleCount());
    const int32_t classes = std::max(classificator.idealObjectCount, 0);
    classRules_.resize(static_cast<size_t>(classes));
    for (int32_t k = 0; k < classes; ++k) {
        if (classificator.IdealObjectAt(k) == nullptr) continue;
        std::vector<int32_t>& list = classRules_[static_cast<size_t>(k)];
        for (int32_t i = 0; i < rules; ++i) {
            // Status 1: applicable to the class, with a prediction the class confirms.
            if (classificator.RuleStatus(i, k) == 1) list.push_back(i);
        }
        std::stable_sort(list.begin(), list.end(), [&](int32_t a, int32_t b) {
            return index.rules[static_cast<size_t>(a)].predictionCell <
                   index.rules[static_cast<size_t>(b)].predictionCell;
        });
    }
    applicable_.assign(static_cast<size_t>(rules), 0);
}

void AllClassScorer::scoreAll(const SEQSElem& object, std::vector<double>& scores) {
    scores.assign(classRules_.size(), 0.0);
    Classificator& c = classificator_;
    if (classRules_.empty() || !c.StartFromObject(object)) return;
    c.SelectApplicableRules();
    std::fill(applicable_.begin(), applicable_.end(), uint8_t{0});
    for (int32_t i : c.applicableRules) {
        if (i >= 0 && static_cast<size_t>(i) < applicable_.size())
            applicable_[static_cast<size_t>(i)] = 1;
    }
    const uint8_t* cells = c.workingObject->cells.data();
    const std::vector<SnapshotRule>& rules = c.RuleIndex().rules;
    for (size_t k = 0; k < classRules_.size(); ++k) {
        const std::vector<int32_t>& list = classRules_[k];
        // ScoreObject sums each prediction cell in store order, then the cells in cell order;
        // the same additions in the same order give the same bits.
        double total = 0.0;
        size_t g = 0;
        while (g < list.size()) {
            const int32_t cell = rules[static_cast<size_t>(list[g])].predictionCell;
            double cellSum = 0.0;
            bool any = false;
            for (; g < list.size() && rules[static_cast<size_t>(list[g])].predictionCell == cell;
                 ++g) {
                const int32_t i = list[g];
                if (!applicable_[static_cast<size_t>(i)]) continue;
                const SnapshotRule& rule = rules[static_cast<size_t>(i)];
                cellSum += cells[cell] != 0 ? rule.agreementIfSet : rule.agreementIfClear;
                any = true;
            }
            if (any) total += cellSum;
        }
        scores[k] = total;
    }
    c.workingObject = nullptr;
}

std::vector<ClassNorm> classNorms(AllClassScorer& scorer, const SEQSElem* negatives,
                                  int32_t count) {
    const auto classes = static_cast<size_t>(scorer.classCount());
    std::vector<double> sum(classes, 0.0), squares(classes, 0.0);
    std::vector<std::vector<double>> all(classes);
    std::vector<double> scores;
    for (int32_t j = 0; j < count; ++j) {
        scorer.scoreAll(negatives[j], scores);
        for (size_t k = 0; k < classes; ++k) all[k].push_back(scores[k]);
    }
    std::vector<ClassNorm> norms(classes);
    for (size_t k = 0; k < classes; ++k) {
        const std::vector<double>& v = all[k];
        if (v.size() < 2) continue;
        double mean = 0.0;
        for (double x : v) mean += x;
        mean /= static_cast<double>(v.size());
        double spread = 0.0;
        for (double x : v) spread += (x - mean) * (x - mean);
        const double deviation = std::sqrt(spread / static_cast<double>(v.size() - 1));
        if (!(std::isfinite(deviation) && deviation > 0.0)) continue;
        norms[k] = {true, mean, deviation};
    }
    return norms;
}

SequenceScore scoreSequence(Classificator& classificator, AllClassScorer& scorer,
                            const std::vector<ClassNorm>& norms, const SEQSElem& object) {
    constexpr double kNone = std::numeric_limits<double>::quiet_NaN();
    SequenceScore result;
    result.assignedClass = classificator.ClassifyObject(object, 0, ObjectSetKind::None);
    std::vector<double> scores;
    scorer.scoreAll(object, scores);
    result.bestScore = kNone;
    result.normalizedScore = kNone;
    for (size_t k = 0; k < scores.size(); ++k) {
        const double s = scores[k];
        if (result.bestClass < 0 || s > result.bestScore ||
            (std::isnan(result.bestScore) && !std::isnan(s))) {
            result.bestClass = static_cast<int32_t>(k);
            result.bestScore = s;
        }
        if (k < norms.size() && norms[k].usable) {
            const double z = (s - norms[k].mean) / norms[k].deviation;
            if (std::isnan(result.normalizedScore) || z > result.normalizedScore)
                result.normalizedScore = z;
        }
    }
    return result;
}

}  // namespace motifora
