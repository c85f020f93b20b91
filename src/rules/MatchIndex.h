// Bitsets over the learning objects per (position, letter): the fast evaluation of rules.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/SEQStorage.h"
#include "core/WorkerPool.h"
#include "rules/Rule.h"

namespace motifora {

// Results of one child evaluated against its parent, enough for TryChild's first tests and, for
// a child that passes them, to fill the child rule without evaluating it again.
struct ChildEvaluation {
    bool passes = false;  // fisher below the parent's, cp above the parent's, some prediction
    double fisher = 1.0;
    double cp = 0.0;
    FisherTable table;
};

class MatchIndex {
  public:
    // Indexes the learning objects of `storage`; positions past an object's end and codes that
    // are not letters (uncovered, -1) set no bit. Also fills the log-factorial table.
    void Build(const SEQStorage& storage);
    // The same with a tolerance: the row of (p, L) then holds the objects with L somewhere in
    // p - tolerance .. p + tolerance, for the positions below `span` (reading only those; the
    // positions from `span` on stay exact).
    void Build(const SEQStorage& storage, int32_t tolerance, int32_t span);

    // The objects that satisfy every condition of `rule` (all when it has none) into `out`.
    void MatchSet(const Rule& rule, std::vector<uint64_t>& out) const;
    // The child = parent's conditions plus (position, sign, letter), predicting `target`:
    // evaluates it as Rule::Evaluate would and applies TryChild's fisher, cp and prediction
    // tests. `parentMatch` is the parent's match set; `probabilities` receives the child's
    // alphabetSize + 1 letter probabilities when it passes.
    ChildEvaluation EvaluateChild(const Rule& parent, const std::vector<uint64_t>& parentMatch,
                                  int32_t parentMatchCount, int32_t position, int16_t sign,
                                  int32_t letter, int32_t target, const LetterFrequencyTable& freq,
                                  double threshold, double* probabilities) const;
    // Indexes of the words of `set` that are not 0.
    std::vector<int32_t> NonzeroWords(const std::vector<uint64_t>& set) const;
    // For every letter j at `position`: matched[j] = objects of the parent match set with j there,
    // joint[j * letters + l] = those of them with letter l at `target`. The children with a
    // positive condition read their counts here, those with a negative one by subtraction from
    // the parent's (ParentCounts). `nonzeroWords` = NonzeroWords(parentMatch).
    void PositionCounts(const std::vector<uint64_t>& parentMatch,
                        const std::vector<int32_t>& nonzeroWords, int32_t position, int32_t target,
                        int64_t* matched, int64_t* joint) const;
    // perLetter[l] = objects of the parent match set with letter l at `target`.
    void ParentCounts(const std::vector<uint64_t>& parentMatch, int32_t target,
                      int64_t* perLetter) const;
    // A child with `matchCount` matching objects and `counts[l]` of them with letter l at the
    // target, evaluated and tested as EvaluateChild says.
    ChildEvaluation EvaluateCounts(const Rule& parent, int64_t parentMatchCount, int64_t matchCount,
                                   const int64_t* counts, int32_t target,
                                   const LetterFrequencyTable& freq, double threshold,
                                   double* probabilities) const;
    // Rule::Evaluate on the bitsets (same results bit for bit).
    void Evaluate(Rule& rule) const;
    // Rule::DropWeakConditions on the bitsets (same results bit for bit).
    bool DropWeakConditions(Rule& rule, double threshold) const;

    int32_t Popcount(const std::vector<uint64_t>& bits) const;
    const double* LogFactorials() const { return logFactorials_.data(); }
    size_t LogFactorialCount() const { return logFactorials_.size(); }

    // The worker pool that evaluates children, kept between extensions (remade when the thread
    // count changes).
    std::unique_ptr<WorkerPool> pool;

    int32_t objects = 0;
    int32_t words = 0;
    int32_t positions = 0;
    int32_t letters = 0;

  private:
    const uint64_t* row(int32_t position, int32_t letter) const {
        return bits_.data() + (static_cast<size_t>(position) * static_cast<size_t>(letters) +
                               static_cast<size_t>(letter)) *
                                  static_cast<size_t>(words);
    }
    // Applies one condition to `set` in place.
    void apply(const RuleCondition& c, uint64_t* set) const;
    // Fills the letter probabilities, cp and the best prediction from letter counts, exactly as
    // Rule::Evaluate; returns cp.
    static double probabilitiesFrom(const int64_t* counts, int64_t n, int32_t letters,
                                    const LetterFrequencyTable* freq, int32_t target, double* out);
    int32_t letterCount(int32_t target, int32_t letter) const {
        return letterTotals_[static_cast<size_t>(target) * static_cast<size_t>(letters) +
                             static_cast<size_t>(letter)];
    }
    // The 2x2 table of a match set with `matchCount` objects and `targetLetterCount` of them with
    // the letter L at the target, for the prediction (value, L).
    FisherTable tableFor(int64_t matchCount, int64_t targetLetterCount, double value,
                         int32_t target, int32_t letter) const;

    std::vector<uint64_t> bits_;  // [position][letter][word]
    std::vector<uint64_t> all_;   // every object
    std::vector<int32_t> letterTotals_;
    std::vector<double> logFactorials_;
};

}  // namespace motifora
