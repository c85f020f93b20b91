// Windows scored by the discriminative rules, one object at a time.
#include "genome/ContrastWindowScorer.h"

#include <utility>

namespace motifora {

ContrastWindowScorer::ContrastWindowScorer(std::shared_ptr<const ContrastScorer> scorer)
    : scorer_(std::move(scorer)) {
    const int32_t letters = scorer_->rules.letters.size();
    if (scorer_->rules.width > 0 && letters <= kMaxScanAlphabet) {
        width_ = scorer_->rules.width;
        alphabetSize_ = letters;
    }
}

void ContrastWindowScorer::Score(const uint8_t* codes, size_t count, double* scores, uint8_t* valid,
                                 ScorerScratch& scratch) const {
    if (width_ <= 0) return;
    const auto width = static_cast<size_t>(width_);
    scratch.objectCodes.resize(width);
    SEQSElem object(scratch.objectCodes.data(), width_);
    // The windows before `clearFrom` hold a letter outside the alphabet.
    size_t clearFrom = 0;
    for (size_t i = 0; i < width - 1 && i < count + width - 1; ++i) {
        if (codes[i] >= alphabetSize_) clearFrom = i + 1;
    }
    for (size_t j = 0; j < count; ++j) {
        const size_t last = j + width - 1;
        if (codes[last] >= alphabetSize_) clearFrom = last + 1;
        if (j < clearFrom) {
            scores[j] = 0.0;
            valid[j] = 0;
            continue;
        }
        for (size_t p = 0; p < width; ++p) scratch.objectCodes[p] = codes[j + p];
        scores[j] = scorer_->score(object);
        valid[j] = 1;
    }
}

}  // namespace motifora
