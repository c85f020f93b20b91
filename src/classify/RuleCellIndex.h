// A snapshot of the rule store as the classificator reads it, indexed by the cells it touches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace motifora {

class RulesStorage;

// One condition of a snapshot rule, with its cell already checked to lie inside the matrix.
struct CellCondition {
    int32_t position = 0;
    int32_t letter = 0;
    int32_t sign = 0;  // +1 the position holds the letter, -1 it does not
};

// What the classificator needs of one rule: its conditions in stored order, its prediction and
// weight, and its letter probabilities. Copied once at set-up, so the classificator never reads a
// rule store that has been replaced since (a new search may free the old one).
struct SnapshotRule {
    int32_t firstCondition = 0;  // into RuleCellIndex::conditions
    int32_t conditionCount = 0;
    // False when a condition lies outside the matrix or has a sign other than +1/-1 (a damaged
    // rule): such a rule is never applicable and contributes nothing.
    bool usable = false;
    int32_t targetPosition = -1;    // -1 when the rule's target lies outside the matrix
    int32_t predictionLetter = -1;  // -1: no prediction
    int32_t predictionCell = -1;    // targetPosition * alphabetSize + predictionLetter, or -1
    double r = 0.0;                 // signed probability of the predicted letter
    double w = 0.0;                 // -ln(1 - |r|)
    // Position of the last negative condition, whose position decides applicability once every
    // condition holds; -1 when the rule has none.
    int32_t lastNegativePosition = -1;
    // Agreement with a flag matrix whose prediction cell is set / clear (+w or -w).
    double agreementIfSet = 0.0;
    double agreementIfClear = 0.0;
    // The term a deletion gain adds for this rule when it concludes at the deleted cell:
    // ln(1 - r) for r > 0, minus ln(1 - |r|) otherwise.
    double concludingTerm = 0.0;
};

// Rows of rule indexes per cell (compressed: `start` has one entry per cell plus one). Beside
// each entry, the rule's positive minus negative conditions on exactly that cell: setting the
// cell lowers the rule's count of failed conditions by that much, clearing it raises it.
struct CellLists {
    std::vector<int32_t> start;
    std::vector<int32_t> items;
    std::vector<int8_t> deltas;

    const int32_t* begin(int32_t cell) const {
        return items.data() + start[static_cast<size_t>(cell)];
    }
    const int32_t* end(int32_t cell) const {
        return items.data() + start[static_cast<size_t>(cell) + 1];
    }
    const int8_t* deltasOf(int32_t cell) const {
        return deltas.data() + start[static_cast<size_t>(cell)];
    }
};

// The same rows as sets of rules: one row of `words` 64-bit words per cell, bit i of the row
// for rule i, so that a row can be intersected with the rules of a state word by word and walked
// in rule order.
struct CellBits {
    int32_t words = 0;
    std::vector<uint64_t> bits;

    const uint64_t* row(int32_t cell) const {
        return bits.data() + static_cast<size_t>(cell) * static_cast<size_t>(words);
    }
};

class RuleCellIndex {
  public:
    // Copies the first `ruleCount` rules of `store` for a matrix of `width` x `alphabetSize`
    // cells and builds the cell lists. A null slot or a damaged rule becomes an unusable entry,
    // so rule indexes keep their store positions.
    void Build(const RulesStorage& store, int32_t ruleCount, int32_t width, int32_t alphabetSize);
    void Clear();

    int32_t RuleCount() const { return static_cast<int32_t>(rules.size()); }
    // Letter probability of rule i for letter l (0 beyond the rule's own array).
    double Probability(int32_t i, int32_t l) const {
        return probabilities[static_cast<size_t>(i) * static_cast<size_t>(alphabetSize) +
                             static_cast<size_t>(l)];
    }

    int32_t width = 0;
    int32_t alphabetSize = 0;
    std::vector<SnapshotRule> rules;
    std::vector<CellCondition> conditions;
    std::vector<double> probabilities;  // [rule][letter], the first alphabetSize values of each
    std::vector<int32_t> lastNegative;  // per rule, its lastNegativePosition (kept dense for gains)
    // Per cell (p, l), rules in store order, each at most once:
    CellLists positiveOn;          // a positive condition on exactly (p, l)
    CellLists negativeOn;          // a negative condition on exactly (p, l)
    CellLists positiveOrOtherNeg;  // a positive condition on (p, l) or a negative one at p on
                                   // another letter
    CellLists concludingAt;        // prediction cell (p, l)
    CellLists conditionOn;         // any condition on exactly (p, l)
    // Per position p (rows indexed by position, not cell): rules whose last negative condition
    // is at p.
    CellLists lastNegativeAt;

    // The cell rows above as sets, made only while all four take at most kMaxBitWords words
    // (HasBits() false beyond).
    bool HasBits() const { return positiveBits.words > 0; }
    static constexpr size_t kMaxBitWords = size_t{1} << 21;
    CellBits positiveBits;
    CellBits negativeBits;
    CellBits positiveOrOtherNegBits;
    CellBits concludingBits;
    // Per rule, one bit: usable, and no two of its conditions at one position. Such a rule
    // fails a condition on a cell by the cell's own state alone, its delta on a cell of
    // positiveOrOtherNeg is 1 for a cell it needs and 0 otherwise, and -1 on one of negativeOn.
    std::vector<uint64_t> onePerPosition;
};

}  // namespace motifora
