// Scores of whole sequences: every class at once (AllClassScorer), or the discriminative sum.
#include "python/Scores.h"

#include <limits>

#include "classify/Classificator.h"
#include "core/CCodeTable.h"
#include "core/SEQStorage.h"
#include "evaluation/ContrastScore.h"
#include "evaluation/SequenceScores.h"

namespace motifora::python {

Status scoreByClasses(Classificator& classificator, const CCodeTable& table, int32_t classCount,
                      int32_t width, const std::vector<std::string_view>& sequences, double* scores,
                      int32_t* classes) {
    if (classCount < 1) return Status::failure("the model has no classes");
    for (size_t i = 0; i < sequences.size(); ++i) {
        if (static_cast<int64_t>(sequences[i].size()) != width)
            return Status::failure("sequence " + std::to_string(i + 1) + " is " +
                                       std::to_string(sequences[i].size()) +
                                       " letters long; the model's objects are " +
                                       std::to_string(width) + " (scan longer sequences)",
                                   "", 0, static_cast<int64_t>(i) + 1);
    }
    if (classificator.idealObjectCount < classCount)
        return Status::failure("the model's classes are not set up");
    // Every class at once, as the cross-validation scores its held-out sequences: the object's
    // applicable rules are found once, then summed per class.
    AllClassScorer scorer(classificator);
    const int32_t letters = classificator.alphabetSize;
    SEQSElem object;
    object.allocate(width, letters);
    std::vector<double> perClass;
    for (size_t i = 0; i < sequences.size(); ++i) {
        bool known = true;
        for (int32_t j = 0; j < width && known; ++j) {
            const int32_t code =
                table.codeOf(static_cast<unsigned char>(sequences[i][static_cast<size_t>(j)]));
            known = code >= 0 && code < letters;
            if (known) object.setCode(code, j);
        }
        double best = std::numeric_limits<double>::quiet_NaN();
        int32_t bestClass = 0;
        if (known) {
            scorer.scoreAll(object, perClass);
            for (int32_t k = 0; k < classCount; ++k) {
                const double score = perClass[static_cast<size_t>(k)];
                if (bestClass == 0 || score > best) {
                    best = score;
                    bestClass = k + 1;
                }
            }
        }
        scores[i] = best;
        classes[i] = bestClass;
    }
    return Status::success();
}

void scoreByContrast(const ContrastRules& rules, const std::vector<std::string_view>& sequences,
                     double* scores) {
    Sequence record;
    for (size_t i = 0; i < sequences.size(); ++i) {
        record.assign(std::string(sequences[i]), "", 1);
        scores[i] = contrastScore(rules, record);
    }
}

}  // namespace motifora::python
