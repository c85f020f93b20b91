// A regularity: conditions on letters at positions that predict the letter at a target position.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/CCodeTable.h"
#include "core/SEQStorage.h"

namespace motifora {

// One condition of a rule: the letter at `position` is (sign +1) or is not (sign -1) `letter`.
struct RuleCondition {
    int32_t position = 0;
    int16_t sign = 0;  // 0 in a freshly sized slot until it is filled
    int32_t letter = 0;
    bool kept = false;  // working flag of DropWeakConditions; not saved

    // Whether a letter coded `code` there satisfies the condition (an unfilled one never is).
    bool holds(int32_t code) const {
        return (sign == 1 && code == letter) || (sign == -1 && code != letter);
    }
};

// Background share of each letter at each position over all learning objects of a storage.
// Made by the generator; every rule of a search shares it, so it lives as long as its last rule.
class LetterFrequencyTable {
  public:
    LetterFrequencyTable() = default;
    LetterFrequencyTable(int32_t positions, int32_t letters)
        : positionCount(positions),
          alphabetSize(letters),
          values(static_cast<size_t>(positions > 0 ? positions : 0) *
                     static_cast<size_t>(letters > 0 ? letters : 0),
                 0.0) {}

    double at(int32_t position, int32_t letter) const {
        return values[static_cast<size_t>(position) * static_cast<size_t>(alphabetSize) +
                      static_cast<size_t>(letter)];
    }
    double& at(int32_t position, int32_t letter) {
        return values[static_cast<size_t>(position) * static_cast<size_t>(alphabetSize) +
                      static_cast<size_t>(letter)];
    }

    int32_t positionCount = 0;
    int32_t alphabetSize = 0;
    std::vector<double> values;  // [position][letter], row by row
};

// The 2x2 table of right and wrong predictions: t11 matching and right, t12 matching and wrong,
// t21 not matching and right, t22 not matching and wrong.
struct FisherTable {
    int64_t t11 = 0;
    int64_t t12 = 0;
    int64_t t21 = 0;
    int64_t t22 = 0;
};

// Where a Fisher tail sum may stop before its last term without changing what the caller uses.
struct FisherTailStop {
    // Stop once the partial sum exceeds this value (the caller only needs to know that it did).
    // Infinity: never.
    double above;
    // Stop once the sum is at least this value (same reason). Infinity: never.
    double atLeast;
    // Stop once the terms fall and the next ones can no longer change the sum in double precision.
    bool negligibleTail;
};

class Rule {
  public:
    Rule();
    virtual ~Rule() = default;
    // Deep copy (conditions, probabilities); the copy shares the frequency table and the letters.
    Rule(const Rule& other) = default;
    Rule& operator=(const Rule& other) = default;

    // Binds the rule to `storage` with room for n conditions (each {0, 0, 0}); copies the storage's
    // width, alphabet size and centre position; `letterProbability` gets alphabetSize + 1 zeros.
    // `letters` is the code table the texts will use; null takes a private copy of the storage's
    // table, so the rule can still print itself after the storage is gone.
    void Init(int32_t n, SEQStorage* storage, double threshold,
              std::shared_ptr<const LetterFrequencyTable> frequency,
              std::shared_ptr<const CCodeTable> letters = nullptr);
    // Copies the conditions into the first slots of `child` (bound with at least as many slots),
    // widens the child's position bounds and copies the first alphabetSize letter probabilities.
    void CopyConditionsTo(Rule& child) const;
    // Puts the condition into the free last slot at its place in position order, then Evaluate.
    void AddCondition(int32_t position, int16_t sign, int32_t letter);
    // Same placement as AddCondition but without evaluating (the caller fills the results).
    void InsertCondition(int32_t position, int16_t sign, int32_t letter);
    // Recomputes the letter probabilities, cp and fisher over the storage's learning objects,
    // one object at a time. Does nothing without a storage.
    void Evaluate();
    // Removes conditions that add nothing significant to the others, then re-evaluates and
    // repeats. Returns true when at least one condition was removed.
    bool DropWeakConditions(double threshold);
    // One-sided Fisher test on the working table. Returns 0 (empty table), 1 (association the
    // wrong way), 2 (not significant) or 3 (significant); codes 2 and 3 set `probability`.
    int FisherTest(double threshold, double& probability) const;
    // ln n!: 0 below 1, a table up to 10, Stirling's series above.
    static double LogFactorial(int64_t n);
    // The signed probability of a letter seen `nj` times among the `n` objects whose conditions
    // hold, where `f` is the letter's frequency at the target: (nj + 1) / (n + 2) when that is
    // above f (never for nj = 0), else −(n − nj + 1) / (n + 2) when that is above 1 − f, else 0.
    static double LetterProbability(int64_t nj, int64_t n, double f) {
        const double plus = nj > 0 ? static_cast<double>(nj + 1) / static_cast<double>(n + 2) : 0.0;
        const double minus = static_cast<double>(n - nj + 1) / static_cast<double>(n + 2);
        if (plus > f) return plus;
        if (minus > 1.0 - f) return -minus;
        return 0.0;
    }
    // The same test on a given table. With a `stop`, the tail sum may end early where that
    // changes neither the code nor anything the caller reads (see FisherTailStop); without, every
    // term is added. `logFactorials` (may be null) holds LogFactorial(0..size-1).
    static int FisherTestTable(const FisherTable& table, double threshold, double& probability,
                               const FisherTailStop* stop = nullptr,
                               const double* logFactorials = nullptr, size_t tableSize = 0);
    // Signed letter probability of largest magnitude and its letter; 0.0 (letter untouched) when
    // every value is 0. Equal magnitudes: the first letter, but a positive value beats a negative.
    double BestPrediction(int32_t& letter) const;
    // True when each of the first alphabetSize letter probabilities is 0.
    bool HasNoPrediction() const;
    // The display (withProbabilities) or key form into `mainText`, the shifted conditions into
    // `shiftedText`. Both are replaced; texts grow as needed.
    void ToText(std::string& mainText, std::string& shiftedText, bool withProbabilities) const;
    // True when an object's codes satisfy every condition whose `kept` flag is set (all conditions
    // when `onlyKept` is false). Positions beyond the object's end read as uncovered.
    bool Matches(const SEQSElem& object, bool onlyKept) const;
    // The letter printed for a code ('?' for a code outside the table).
    char LetterText(int32_t code) const;

    int32_t ConditionCount() const { return conditionCount; }
    const RuleCondition& Condition(int32_t i) const { return conditions[static_cast<size_t>(i)]; }
    int32_t ConditionPosition(int32_t i) const { return Condition(i).position; }
    int32_t TargetPosition() const { return targetPosition; }
    double LetterProbability(int32_t code) const {
        return letterProbability[static_cast<size_t>(code)];
    }

    int32_t lowestPosition = 0;
    int32_t highestPosition = 0;
    double fisher = 1.0;
    double cp = 0.0;
    uint8_t reservedFlag = 0;
    std::vector<RuleCondition> conditions;         // conditionCount slots, ascending position
    std::vector<RuleCondition> shiftedConditions;  // shiftedCount slots (conditionCount when bound)
    std::vector<double> letterProbability;         // codeCount values; the last is always 0
    int32_t shiftedCount = 0;
    int32_t reservedValue = 4;
    int32_t conditionCount = 0;
    SEQStorage* storage = nullptr;  // not owned; only Evaluate and DropWeakConditions read it
    int32_t positionCount = 0;
    int32_t alphabetSize = 0;
    int32_t targetPosition = 0;
    int32_t codeCount = 0;
    FisherTable table;  // working table of the last evaluation
    double fisherThreshold = 0.0;
    std::shared_ptr<const LetterFrequencyTable> letterFrequency;
    // The letters the texts are printed with: a snapshot of the storage's code table, shared by
    // all rules of a search. A storage replaced by one with the same letters and codes therefore
    // changes nothing in the texts, and a freed storage leaves no dangling letters.
    std::shared_ptr<const CCodeTable> codeTable;

  private:
    // Widens the position bounds with p (they start at 0 and only widen).
    void widen(int32_t p);
    // Code of `object` at position p, uncovered past its end.
    int32_t codeOf(const SEQSElem& object, int32_t p) const;
    // Counts the 2x2 table over the objects matching the kept conditions, splitting on condition
    // `j` (DropWeakConditions) or, with j < 0, on the whole rule over all objects (Evaluate).
    FisherTable countTable(int32_t j) const;
    // True when the object's target is predicted right by (value, letter).
    bool predictedRight(const SEQSElem& object, double value, int32_t letter) const;
    void removeCondition(int32_t j);
};

}  // namespace motifora
