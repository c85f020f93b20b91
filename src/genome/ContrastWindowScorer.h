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
    void BuildPlaceIndex();
    void BuildWordIndex();
    // The rules holding on the window, as bits of `holding`.
    void PlaceRules(const uint8_t* window, uint64_t* holding) const;
    void WordRules(const uint8_t* window, uint64_t* holding, uint64_t* found) const;
    double IndexedScore(const uint8_t* window, ScorerScratch& scratch) const;

    std::shared_ptr<const ContrastScorer> scorer_;
    int32_t width_ = 0;
    int32_t alphabetSize_ = 0;

    // Rules are found through bit sets (one bit a rule, 64 rules a word) and their terms added
    // in rule order, the letters' after them in place order, as the object-by-object score adds
    // them.
    bool indexed_ = false;
    size_t words_ = 0;
    std::vector<uint64_t> possibleRules_;  // rules some window can satisfy
    std::vector<double> ruleTerms_;        // what each rule adds when it holds
    std::vector<uint8_t> ruleAdds_;        // whether it adds anything (a fitted model may not)
    std::vector<double> letterTerms_;      // fitted with letters: what each (place, letter) adds
    std::vector<uint8_t> letterAdds_;

    // Conditions on single letters at their places: the rules holding on a window are those in
    // the bit set of each of its (place, letter) cells; cellRules_[(p * alphabet + c) * words_ +
    // w] has the bit of rule 64w + b when no condition of that rule at place p refuses letter c.
    bool byPlace_ = false;
    std::vector<uint64_t> cellRules_;
    std::vector<int32_t> conditionPlaces_;  // the places some condition looks at

    // Conditions on words within a tolerance: the distinct conditions (range and word) found in
    // a window are the union, over the word beginnings they read, of beginningConditions_[(p *
    // wordCodes_ + word) * conditionWords_ + w]; a rule holds when each of its conditions was
    // found (a positive one) or not (a negative one).
    int32_t wordLength_ = 1;
    int32_t wordCodes_ = 0;
    size_t conditionWords_ = 0;
    std::vector<uint64_t> beginningConditions_;
    std::vector<int32_t> readBeginnings_;
    std::vector<uint32_t> ruleConditionStart_;  // rule k's conditions: [start[k], start[k + 1])
    std::vector<uint32_t> ruleConditions_;      // 2 * distinct condition + (1 if positive)
};

}  // namespace motifora
