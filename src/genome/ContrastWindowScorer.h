// The discriminative score of every window of a genome: each window is the object of the rules'
// width whose codes are its letters, scored as ContrastScorer scores a learning-width record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "evaluation/ContrastScore.h"
#include "genome/ClassScorer.h"

namespace motifora {

class ContrastWindowScorer : public WindowScorer {
  public:
    // The codes of the windows are those of `scorer.rules.letters`. Width 0 when the rules are
    // not positive-width or their alphabet is larger than kMaxScanAlphabet.
    explicit ContrastWindowScorer(std::shared_ptr<const ContrastScorer> scorer);

    int32_t Width() const override { return width_; }
    int32_t AlphabetSize() const { return alphabetSize_; }
    void Score(const uint8_t* codes, size_t count, double* scores, uint8_t* valid,
               ScorerScratch& scratch) const override;

  private:
    std::shared_ptr<const ContrastScorer> scorer_;
    int32_t width_ = 0;
    int32_t alphabetSize_ = 0;
};

}  // namespace motifora
