// Windows scored by the discriminative rules through rule bit sets, or object by object where
// the rules' shape has no index.
#include "genome/ContrastWindowScorer.h"

#include <algorithm>
#include <bit>
#include <map>
#include <tuple>
#include <utility>

#include "evaluation/ContrastModel.h"

namespace motifora {

ContrastWindowScorer::ContrastWindowScorer(std::shared_ptr<const ContrastScorer> scorer)
    : scorer_(std::move(scorer)) {
    const int32_t letters = scorer_->rules.letters.size();
    if (scorer_->rules.width > 0 && letters <= kMaxScanAlphabet) {
        width_ = scorer_->rules.width;
        alphabetSize_ = letters;
        BuildIndex();
    }
}

void ContrastWindowScorer::BuildIndex() {
    const ContrastScorer& s = *scorer_;
    const ContrastShape& shape = s.rules.shape;
    if (!shape.plain() && !contrastShapeFits(shape, alphabetSize_)) return;
    const std::vector<ContrastRule>& rules = s.rules.rules;
    const size_t ruleCount = rules.size();
    words_ = (ruleCount + 63) / 64;
    possibleRules_.assign(words_, 0);
    if (shape.plain())
        BuildPlaceIndex();
    else
        BuildWordIndex();

    // The terms each feature adds, as ContrastModel::logOddsOf or contrastScore add them.
    ruleTerms_.assign(ruleCount, 0.0);
    ruleAdds_.assign(ruleCount, 0);
    const ContrastModel& model = s.model;
    for (size_t k = 0; k < ruleCount; ++k) {
        if (model.fitted) {
            ruleAdds_[k] = model.featureWeight(static_cast<int64_t>(k), ruleTerms_[k]) ? 1 : 0;
        } else {
            ruleTerms_[k] = rules[k].signedWeight();
            ruleAdds_[k] = 1;
        }
    }
    letterTerms_.clear();
    letterAdds_.clear();
    if (model.fitted && model.letters) {
        const auto cells = static_cast<size_t>(width_) * static_cast<size_t>(alphabetSize_);
        letterTerms_.assign(cells, 0.0);
        letterAdds_.assign(cells, 0);
        for (size_t cell = 0; cell < cells; ++cell) {
            const bool adds =
                model.featureWeight(static_cast<int64_t>(ruleCount + cell), letterTerms_[cell]);
            letterAdds_[cell] = adds ? 1 : 0;
        }
    }
    indexed_ = true;
}

void ContrastWindowScorer::BuildPlaceIndex() {
    const std::vector<ContrastRule>& rules = scorer_->rules.rules;
    const auto cells = static_cast<size_t>(width_) * static_cast<size_t>(alphabetSize_);
    cellRules_.assign(cells * words_, 0);
    for (size_t k = 0; k < rules.size(); ++k) {
        const uint64_t bit = uint64_t{1} << (k % 64);
        // A condition outside the window sees the uncovered code there, as an object's does.
        bool possible = true;
        for (const RuleCondition& c : rules[k].conditions) {
            if ((c.position < 0 || c.position >= width_) && !c.holds(alphabetSize_))
                possible = false;
        }
        if (!possible) continue;
        possibleRules_[k / 64] |= bit;
        for (int32_t p = 0; p < width_; ++p) {
            for (int32_t code = 0; code < alphabetSize_; ++code) {
                bool holds = true;
                for (const RuleCondition& c : rules[k].conditions)
                    if (c.position == p && !c.holds(code)) holds = false;
                if (holds)
                    cellRules_[(static_cast<size_t>(p * alphabetSize_ + code)) * words_ + k / 64] |=
                        bit;
            }
        }
    }

    // A place where every letter lets every possible rule hold decides nothing.
    conditionPlaces_.clear();
    for (int32_t p = 0; p < width_; ++p) {
        bool decides = false;
        for (int32_t code = 0; code < alphabetSize_; ++code) {
            for (size_t w = 0; w < words_; ++w) {
                const uint64_t cell =
                    cellRules_[static_cast<size_t>(p * alphabetSize_ + code) * words_ + w];
                decides = decides || (cell & possibleRules_[w]) != possibleRules_[w];
            }
        }
        if (decides) conditionPlaces_.push_back(p);
    }
    byPlace_ = true;
}

void ContrastWindowScorer::BuildWordIndex() {
    const ContrastShape& shape = scorer_->rules.shape;
    const std::vector<ContrastRule>& rules = scorer_->rules.rules;
    wordLength_ = shape.wordLength;
    wordCodes_ = 1;
    for (int32_t i = 0; i < wordLength_; ++i) wordCodes_ *= alphabetSize_;
    const int32_t beginnings = std::max(width_ - wordLength_ + 1, 0);

    // The distinct conditions, numbered in the order the rules first name them.
    std::map<std::tuple<int32_t, int32_t, int32_t>, uint32_t> numbers;
    std::vector<std::tuple<int32_t, int32_t, int32_t>> distinct;
    ruleConditionStart_.assign(1, 0);
    ruleConditions_.clear();
    for (size_t k = 0; k < rules.size(); ++k) {
        bool possible = true;
        for (const RuleCondition& c : rules[k].conditions) {
            if (c.sign != 1 && c.sign != -1) possible = false;
            const auto [first, last] = contrastConditionRange(c.position, width_, shape);
            const auto key = std::make_tuple(first, last, c.letter);
            const auto [at, added] = numbers.emplace(key, static_cast<uint32_t>(distinct.size()));
            if (added) distinct.push_back(key);
            ruleConditions_.push_back(2 * at->second + (c.sign == 1 ? 1u : 0u));
        }
        ruleConditionStart_.push_back(static_cast<uint32_t>(ruleConditions_.size()));
        if (possible) possibleRules_[k / 64] |= uint64_t{1} << (k % 64);
    }

    conditionWords_ = (distinct.size() + 63) / 64;
    beginningConditions_.assign(
        static_cast<size_t>(beginnings) * static_cast<size_t>(wordCodes_) * conditionWords_, 0);
    std::vector<uint8_t> read(static_cast<size_t>(beginnings), 0);
    for (size_t d = 0; d < distinct.size(); ++d) {
        const auto [first, last, word] = distinct[d];
        if (word < 0 || word >= wordCodes_) continue;  // a word no window holds
        for (int32_t p = std::max(first, 0); p <= last && p < beginnings; ++p) {
            beginningConditions_[(static_cast<size_t>(p) * static_cast<size_t>(wordCodes_) +
                                  static_cast<size_t>(word)) *
                                     conditionWords_ +
                                 d / 64] |= uint64_t{1} << (d % 64);
            read[static_cast<size_t>(p)] = 1;
        }
    }
    readBeginnings_.clear();
    for (int32_t p = 0; p < beginnings; ++p)
        if (read[static_cast<size_t>(p)] != 0) readBeginnings_.push_back(p);
}

void ContrastWindowScorer::PlaceRules(const uint8_t* window, uint64_t* holding) const {
    for (size_t w = 0; w < words_; ++w) holding[w] = possibleRules_[w];
    for (const int32_t p : conditionPlaces_) {
        const uint64_t* cell =
            &cellRules_[static_cast<size_t>(p * alphabetSize_ + window[p]) * words_];
        for (size_t w = 0; w < words_; ++w) holding[w] &= cell[w];
    }
}

void ContrastWindowScorer::WordRules(const uint8_t* window, uint64_t* holding,
                                     uint64_t* found) const {
    for (size_t w = 0; w < conditionWords_; ++w) found[w] = 0;
    for (const int32_t p : readBeginnings_) {
        int32_t word = 0;
        for (int32_t i = 0; i < wordLength_; ++i) word = word * alphabetSize_ + window[p + i];
        const uint64_t* cell =
            &beginningConditions_[(static_cast<size_t>(p) * static_cast<size_t>(wordCodes_) +
                                   static_cast<size_t>(word)) *
                                  conditionWords_];
        for (size_t w = 0; w < conditionWords_; ++w) found[w] |= cell[w];
    }
    for (size_t w = 0; w < words_; ++w) holding[w] = 0;
    const size_t ruleCount = ruleConditionStart_.size() - 1;
    for (size_t k = 0; k < ruleCount; ++k) {
        if ((possibleRules_[k / 64] >> (k % 64) & 1) == 0) continue;
        bool holds = true;
        for (uint32_t i = ruleConditionStart_[k]; i < ruleConditionStart_[k + 1] && holds; ++i) {
            const uint32_t d = ruleConditions_[i] / 2;
            const uint64_t wasFound = found[d / 64] >> (d % 64) & 1;
            holds = wasFound == (ruleConditions_[i] & 1);
        }
        if (holds) holding[k / 64] |= uint64_t{1} << (k % 64);
    }
}

double ContrastWindowScorer::IndexedScore(const uint8_t* window, ScorerScratch& scratch) const {
    uint64_t* holding = scratch.applies.data();
    if (byPlace_)
        PlaceRules(window, holding);
    else
        WordRules(window, holding, scratch.conditionBits.data());
    const ContrastScorer& s = *scorer_;
    double sum = s.model.fitted ? s.model.intercept : 0.0;
    for (size_t w = 0; w < words_; ++w) {
        for (uint64_t bits = holding[w]; bits != 0; bits &= bits - 1) {
            const size_t k = w * 64 + static_cast<size_t>(std::countr_zero(bits));
            if (ruleAdds_[k] != 0) sum += ruleTerms_[k];
        }
    }
    if (!letterTerms_.empty()) {
        for (int32_t p = 0; p < width_; ++p) {
            const auto cell = static_cast<size_t>(p * alphabetSize_ + window[p]);
            if (letterAdds_[cell] != 0) sum += letterTerms_[cell];
        }
    }
    if (s.model.fitted) return logistic(sum);
    return s.calibration.fitted ? s.calibration.probability(sum) : sum;
}

void ContrastWindowScorer::Score(const uint8_t* codes, size_t count, double* scores, uint8_t* valid,
                                 ScorerScratch& scratch) const {
    if (width_ <= 0) return;
    const auto width = static_cast<size_t>(width_);
    scratch.objectCodes.resize(width);
    scratch.applies.resize(words_);
    scratch.conditionBits.resize(conditionWords_);
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
        if (indexed_) {
            scores[j] = IndexedScore(codes + j, scratch);
        } else {
            for (size_t p = 0; p < width; ++p) scratch.objectCodes[p] = codes[j + p];
            scores[j] = scorer_->score(object);
        }
        valid[j] = 1;
    }
}

}  // namespace motifora
