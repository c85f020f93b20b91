// Snapshot of the rule store and the per-cell rule lists the incremental gains walk.
#include "classify/RuleCellIndex.h"

#include <algorithm>
#include <cmath>

#include "rules/RulesStorage.h"

namespace motifora {

namespace {

// Collects (cell, rule) pairs rule by rule and packs them into rows. Rules arrive in increasing
// index order, so a rule's repeated entry for one cell is always the row's last one.
class ListBuilder {
  public:
    explicit ListBuilder(int32_t cells) : rows_(static_cast<size_t>(cells)) {}

    void add(int32_t cell, int32_t rule, int32_t delta) {
        auto& row = rows_[static_cast<size_t>(cell)];
        if (row.empty() || row.back().first != rule) row.push_back({rule, delta});
    }

    void pack(CellLists& lists) const {
        lists.start.assign(rows_.size() + 1, 0);
        size_t total = 0;
        for (const auto& row : rows_) total += row.size();
        lists.items.clear();
        lists.items.reserve(total);
        lists.deltas.clear();
        lists.deltas.reserve(total);
        for (size_t c = 0; c < rows_.size(); ++c) {
            for (const auto& [rule, delta] : rows_[c]) {
                lists.items.push_back(rule);
                lists.deltas.push_back(static_cast<int8_t>(std::clamp(delta, -127, 127)));
            }
            lists.start[c + 1] = static_cast<int32_t>(lists.items.size());
        }
    }

  private:
    std::vector<std::vector<std::pair<int32_t, int32_t>>> rows_;
};

void setRuleBit(uint64_t* row, int32_t rule) {
    row[static_cast<size_t>(rule) / 64] |= uint64_t{1} << (static_cast<size_t>(rule) % 64);
}

// The rows of `lists` as sets of `words` words each.
void toBits(const CellLists& lists, int32_t words, CellBits& out) {
    const size_t cells = lists.start.empty() ? 0 : lists.start.size() - 1;
    out.words = words;
    out.bits.assign(cells * static_cast<size_t>(words), 0);
    for (size_t c = 0; c < cells; ++c) {
        uint64_t* row = out.bits.data() + c * static_cast<size_t>(words);
        for (const int32_t* it = lists.begin(static_cast<int32_t>(c));
             it != lists.end(static_cast<int32_t>(c)); ++it)
            setRuleBit(row, *it);
    }
}

}  // namespace

void RuleCellIndex::Clear() {
    width = 0;
    alphabetSize = 0;
    rules.clear();
    conditions.clear();
    probabilities.clear();
    lastNegative.clear();
    positiveOn = {};
    negativeOn = {};
    positiveOrOtherNeg = {};
    concludingAt = {};
    conditionOn = {};
    lastNegativeAt = {};
    positiveBits = {};
    negativeBits = {};
    positiveOrOtherNegBits = {};
    concludingBits = {};
    onePerPosition.clear();
}

void RuleCellIndex::Build(const RulesStorage& store, int32_t ruleCount, int32_t newWidth,
                          int32_t newAlphabetSize) {
    Clear();
    width = std::max(newWidth, 0);
    alphabetSize = std::max(newAlphabetSize, 0);
    const int32_t available =
        std::min<int32_t>(ruleCount, static_cast<int32_t>(store.rules.size()));
    const int32_t count = std::max(available, 0);
    const int32_t cellCount = width * alphabetSize;

    rules.resize(static_cast<size_t>(count));
    probabilities.assign(static_cast<size_t>(count) * static_cast<size_t>(alphabetSize), 0.0);
    ListBuilder positive(cellCount), negative(cellCount), positiveOrOther(cellCount),
        concluding(cellCount), anyCondition(cellCount), lastNegativeRows(width);

    for (int32_t i = 0; i < count; ++i) {
        SnapshotRule& out = rules[static_cast<size_t>(i)];
        out.firstCondition = static_cast<int32_t>(conditions.size());
        const Rule* rule = store.rules[static_cast<size_t>(i)].get();
        if (rule == nullptr) continue;

        const int32_t stored =
            std::min<int32_t>(rule->conditionCount, static_cast<int32_t>(rule->conditions.size()));
        out.usable = true;
        for (int32_t c = 0; c < stored; ++c) {
            const RuleCondition& cond = rule->conditions[static_cast<size_t>(c)];
            if (cond.sign == -1) out.lastNegativePosition = cond.position;
            const bool inside = cond.position >= 0 && cond.position < width && cond.letter >= 0 &&
                                cond.letter < alphabetSize;
            if (!inside || (cond.sign != 1 && cond.sign != -1)) {
                out.usable = false;
                continue;
            }
            conditions.push_back({cond.position, cond.letter, cond.sign});
        }
        out.conditionCount = static_cast<int32_t>(conditions.size()) - out.firstCondition;

        // Probabilities beyond the rule's own array (a rule bound to a smaller alphabet) read 0.
        const int32_t own =
            std::min<int32_t>(alphabetSize, static_cast<int32_t>(rule->letterProbability.size()));
        double* row =
            probabilities.data() + static_cast<size_t>(i) * static_cast<size_t>(alphabetSize);
        for (int32_t l = 0; l < own; ++l) row[l] = rule->letterProbability[static_cast<size_t>(l)];

        // The classificator's own prediction: the first letter of largest magnitude, whatever
        // its sign; a NaN never replaces the best.
        double bestMagnitude = 0.0;
        for (int32_t l = 0; l < alphabetSize; ++l) {
            if (std::fabs(row[l]) > bestMagnitude) {
                bestMagnitude = std::fabs(row[l]);
                out.predictionLetter = l;
            }
        }
        if (rule->targetPosition >= 0 && rule->targetPosition < width) {
            out.targetPosition = rule->targetPosition;
        } else {
            out.predictionLetter = -1;  // a prediction outside the matrix concludes nothing
        }
        if (out.predictionLetter >= 0) {
            out.r = row[out.predictionLetter];
            out.w = -std::log(1.0 - std::fabs(out.r));
            out.predictionCell = out.targetPosition * alphabetSize + out.predictionLetter;
            out.agreementIfSet = out.r > 0 ? out.w : -out.w;
            out.agreementIfClear = out.r > 0 ? -out.w : out.w;
            const double q = out.r;
            out.concludingTerm = q > 0 ? std::log(1.0 - q) : -std::log(1.0 - std::fabs(q));
        }
        if (!out.usable) continue;

        // Positive minus negative conditions of this rule on exactly `cell`.
        const CellCondition* mine = conditions.data() + out.firstCondition;
        auto delta = [&](int32_t cell) {
            int32_t d = 0;
            for (int32_t c = 0; c < out.conditionCount; ++c) {
                if (mine[c].position * alphabetSize + mine[c].letter == cell) d += mine[c].sign;
            }
            return d;
        };
        for (int32_t c = 0; c < out.conditionCount; ++c) {
            const CellCondition& cond = conditions[static_cast<size_t>(out.firstCondition + c)];
            const int32_t cell = cond.position * alphabetSize + cond.letter;
            anyCondition.add(cell, i, delta(cell));
            if (cond.sign > 0) {
                positive.add(cell, i, delta(cell));
                positiveOrOther.add(cell, i, delta(cell));
            } else {
                negative.add(cell, i, delta(cell));
            }
        }
        // Every entry of rule i is made before any of rule i + 1, so each row stays in store
        // order and a repeated entry of one rule is always the last of its row.
        for (int32_t c = 0; c < out.conditionCount; ++c) {
            const CellCondition& cond = conditions[static_cast<size_t>(out.firstCondition + c)];
            if (cond.sign > 0) continue;
            for (int32_t l = 0; l < alphabetSize; ++l) {
                const int32_t cell = cond.position * alphabetSize + l;
                if (l != cond.letter) positiveOrOther.add(cell, i, delta(cell));
            }
        }
        if (out.lastNegativePosition >= 0) lastNegativeRows.add(out.lastNegativePosition, i, 0);
        if (out.predictionCell >= 0)
            concluding.add(out.predictionCell, i, delta(out.predictionCell));
    }

    lastNegative.resize(rules.size());
    for (size_t i = 0; i < rules.size(); ++i) lastNegative[i] = rules[i].lastNegativePosition;
    positive.pack(positiveOn);
    negative.pack(negativeOn);
    positiveOrOther.pack(positiveOrOtherNeg);
    concluding.pack(concludingAt);
    anyCondition.pack(conditionOn);
    lastNegativeRows.pack(lastNegativeAt);

    const size_t words = (static_cast<size_t>(count) + 63) / 64;
    onePerPosition.assign(words, 0);
    for (int32_t i = 0; i < count; ++i) {
        const SnapshotRule& rule = rules[static_cast<size_t>(i)];
        if (!rule.usable) continue;
        const CellCondition* mine = conditions.data() + rule.firstCondition;
        bool single = true;
        for (int32_t a = 0; a < rule.conditionCount && single; ++a) {
            for (int32_t b = 0; b < a && single; ++b) single = mine[a].position != mine[b].position;
        }
        if (single) setRuleBit(onePerPosition.data(), i);
    }
    if (words > 0 && 4 * words * static_cast<size_t>(cellCount) <= kMaxBitWords) {
        const auto w = static_cast<int32_t>(words);
        toBits(positiveOn, w, positiveBits);
        toBits(negativeOn, w, negativeBits);
        toBits(positiveOrOtherNeg, w, positiveOrOtherNegBits);
        toBits(concludingAt, w, concludingBits);
    }
}

}  // namespace motifora
