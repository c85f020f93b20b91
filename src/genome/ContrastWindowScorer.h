// The discriminative score of every window of a genome: each window is the object of the rules'
// width whose codes are its letters, scored as ContrastScorer scores a learning-width record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

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
    // Whether windows are scored through the rule bit sets rather than object by object.
    bool Indexed() const { return indexed_; }

  private:
    void BuildIndex();
    double IndexedScore(const uint8_t* window, uint64_t* holding) const;

    std::shared_ptr<const ContrastScorer> scorer_;
    int32_t width_ = 0;
    int32_t alphabetSize_ = 0;

    // With conditions on single letters at their places, the rules holding on a window are
    // those in the bit set of each of its (place, letter) cells: cellRules_[(p * alphabet + c) *
    // words_ + w] has the bit of rule 64w + b when no condition of that rule at place p refuses
    // letter c. The terms are added in rule order, the letters' after them in place order, as
    // the object-by-object score adds them.
    bool indexed_ = false;
    size_t words_ = 0;
    std::vector<uint64_t> cellRules_;
    std::vector<uint64_t> possibleRules_;   // rules no condition beyond the width rules out
    std::vector<int32_t> conditionPlaces_;  // the places some condition looks at
    std::vector<double> ruleTerms_;         // what each rule adds when it holds
    std::vector<uint8_t> ruleAdds_;         // whether it adds anything (a fitted model may not)
    std::vector<double> letterTerms_;       // fitted with letters: what each (place, letter) adds
    std::vector<uint8_t> letterAdds_;
};

}  // namespace motifora
