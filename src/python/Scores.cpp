// Scores of whole sequences: each sequence one window of ClassScorer per class, or the
// discriminative sum.
#include "python/Scores.h"

#include <limits>

#include "classify/Classificator.h"
#include "core/CCodeTable.h"
#include "evaluation/ContrastScore.h"
#include "genome/ClassScorer.h"

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
    std::vector<ClassScorer> scorers(static_cast<size_t>(classCount));
    for (int32_t k = 0; k < classCount; ++k) {
        if (!scorers[static_cast<size_t>(k)].Build(classificator, k))
            return Status::failure("class " + std::to_string(k + 1) + " cannot be scored");
    }
    const int32_t letters = classificator.alphabetSize;
    uint8_t codeOfByte[256];
    for (int b = 0; b < 256; ++b) {
        const int32_t code = table.codeOf(static_cast<unsigned char>(b));
        codeOfByte[b] = code >= 0 && code < letters ? static_cast<uint8_t>(code) : kNoLetter;
    }
    ScorerScratch scratch;
    std::vector<uint8_t> codes(static_cast<size_t>(width));
    for (size_t i = 0; i < sequences.size(); ++i) {
        for (int32_t j = 0; j < width; ++j)
            codes[static_cast<size_t>(j)] =
                codeOfByte[static_cast<unsigned char>(sequences[i][static_cast<size_t>(j)])];
        double best = std::numeric_limits<double>::quiet_NaN();
        int32_t bestClass = 0;
        for (int32_t k = 0; k < classCount; ++k) {
            double score = 0.0;
            uint8_t valid = 0;
            scorers[static_cast<size_t>(k)].Score(codes.data(), 1, &score, &valid, scratch);
            if (!valid) break;
            if (bestClass == 0 || score > best) {
                best = score;
                bestClass = k + 1;
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
