// Windows scored by the discriminative rules: through per-cell rule bit sets when every
// condition is a letter at a place, otherwise object by object.
#include "genome/ContrastWindowScorer.h"

#include <bit>
#include <utility>

#include "evaluation/ContrastModel.h"

namespace motifora {

ContrastWindowScorer::ContrastWindowScorer(std::shared_ptr<const ContrastScorer> scorer)
    : scorer_(std::move(scorer)) {
    const int32_t letters = scorer_->rules.letters.size();
    if (scorer_->rules.width > 0 && letters <= kMaxScanAlphabet) {
        width_ = scorer_->rules.width;
        alphabetSize_ = letters;
        if (scorer_->rules.shape.plain()) BuildIndex();
    }
}

namespace {

bool conditionHolds(const RuleCondition& c, int32_t code) {
    return (c.sign == 1 && code == c.letter) || (c.sign == -1 && code != c.letter);
}

}  // namespace

void ContrastWindowScorer::BuildIndex() {
    const ContrastScorer& s = *scorer_;
    const std::vector<ContrastRule>& rules = s.rules.rules;
    const size_t ruleCount = rules.size();
    words_ = (ruleCount + 63) / 64;
    const auto cells = static_cast<size_t>(width_) * static_cast<size_t>(alphabetSize_);
    cellRules_.assign(cells * words_, 0);
    possibleRules_.assign(words_, 0);
    for (size_t k = 0; k < ruleCount; ++k) {
        const uint64_t bit = uint64_t{1} << (k % 64);
        // A condition outside the window sees the uncovered code there, as an object's does.
        bool possible = true;
        for (const RuleCondition& c : rules[k].conditions) {
            if ((c.position < 0 || c.position >= width_) && !conditionHolds(c, alphabetSize_))
                possible = false;
        }
        if (!possible) continue;
        possibleRules_[k / 64] |= bit;
        for (int32_t p = 0; p < width_; ++p) {
            for (int32_t code = 0; code < alphabetSize_; ++code) {
                bool holds = true;
                for (const RuleCondition& c : rules[k].conditions)
                    if (c.position == p && !conditionHolds(c, code)) holds = false;
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

    // The terms each feature adds, as ContrastModel::logOddsOf or contrastScore add them.
    ruleTerms_.assign(ruleCount, 0.0);
    ruleAdds_.assign(ruleCount, 0);
    const ContrastModel& model = s.model;
    const auto fittedRules = static_cast<int64_t>(model.ruleWeights.size());
    const auto featureTerm = [&](int64_t f, double& term) {
        if (f < fittedRules) {
            term = model.ruleWeights[static_cast<size_t>(f)];
            return true;
        }
        if (static_cast<size_t>(f - fittedRules) < model.letterWeights.size()) {
            term = model.letterWeights[static_cast<size_t>(f - fittedRules)];
            return true;
        }
        return false;
    };
    for (size_t k = 0; k < ruleCount; ++k) {
        if (model.fitted) {
            ruleAdds_[k] = featureTerm(static_cast<int64_t>(k), ruleTerms_[k]) ? 1 : 0;
        } else {
            ruleTerms_[k] = rules[k].predictsPositive() ? rules[k].weight() : -rules[k].weight();
            ruleAdds_[k] = 1;
        }
    }
    letterTerms_.clear();
    letterAdds_.clear();
    if (model.fitted && model.letters) {
        letterTerms_.assign(cells, 0.0);
        letterAdds_.assign(cells, 0);
        for (size_t cell = 0; cell < cells; ++cell)
            letterAdds_[cell] =
                featureTerm(static_cast<int64_t>(ruleCount + cell), letterTerms_[cell]) ? 1 : 0;
    }
    indexed_ = true;
}

double ContrastWindowScorer::IndexedScore(const uint8_t* window, uint64_t* holding) const {
    for (size_t w = 0; w < words_; ++w) holding[w] = possibleRules_[w];
    for (const int32_t p : conditionPlaces_) {
        const uint64_t* cell =
            &cellRules_[static_cast<size_t>(p * alphabetSize_ + window[p]) * words_];
        for (size_t w = 0; w < words_; ++w) holding[w] &= cell[w];
    }
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
            scores[j] = IndexedScore(codes + j, scratch.applies.data());
        } else {
            for (size_t p = 0; p < width; ++p) scratch.objectCodes[p] = codes[j + p];
            scores[j] = scorer_->score(object);
        }
        valid[j] = 1;
    }
}

}  // namespace motifora
