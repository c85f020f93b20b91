// The classificator: prediction matrix, incremental gains, the three idealization strategies,
// registration and classification of objects, scores and the class matrices.
#include "classify/Classificator.h"

#include <algorithm>
#include <bit>
#include <functional>

namespace motifora {

namespace {

// A change is made only when its gain exceeds this.
constexpr double kGainThreshold = 1e-7;

// Letters allowed per position of a flag matrix of `width` x `letters`.
void countAllowed(const std::vector<uint8_t>& cells, int32_t width, int32_t letters,
                  std::vector<int32_t>& counts) {
    counts.assign(static_cast<size_t>(width), 0);
    for (int32_t p = 0; p < width; ++p) {
        const uint8_t* row = cells.data() + static_cast<size_t>(p) * static_cast<size_t>(letters);
        int32_t n = 0;
        for (int32_t l = 0; l < letters; ++l) n += row[l] != 0 ? 1 : 0;
        counts[static_cast<size_t>(p)] = n;
    }
}

constexpr size_t kRulesPerWord = 64;

void setBit(std::vector<uint64_t>& bits, int32_t i, bool on) {
    const uint64_t mask = uint64_t{1} << (static_cast<size_t>(i) % kRulesPerWord);
    uint64_t& word = bits[static_cast<size_t>(i) / kRulesPerWord];
    word = on ? (word | mask) : (word & ~mask);
}

bool hasBit(const uint64_t* bits, int32_t i) {
    return ((bits[static_cast<size_t>(i) / kRulesPerWord] >>
             (static_cast<size_t>(i) % kRulesPerWord)) &
            1) != 0;
}

// Calls visit(i) for every set bit i, in increasing order.
template <class Visit>
void forEachBit(const std::vector<uint64_t>& bits, Visit visit) {
    for (size_t w = 0; w < bits.size(); ++w) {
        for (uint64_t word = bits[w]; word != 0; word &= word - 1) {
            visit(static_cast<int32_t>(w * kRulesPerWord +
                                       static_cast<size_t>(std::countr_zero(word))));
        }
    }
}

}  // namespace

int Classificator::Setup(SEQStorage* newStorage, RulesStorage* newRules,
                         IdealObjectArray* newIdealObjects, IdealizationType type) {
    if (newStorage == nullptr || newRules == nullptr) return 0;
    storage = newStorage;
    rules = newRules;
    idealObjects = newIdealObjects;
    idealizationType = type;
    objectCount = storage->learnObjectCount;
    ruleCount = std::max<int32_t>(rules->count, 0);
    width = std::max<int32_t>(storage->width, 0);
    alphabetSize = std::max<int32_t>(storage->alphabetSize, 0);

    forgetClassIndex();
    // Where the strategy ends depends on the rules read now.
    knownEnds_ = std::make_shared<KnownEnds>();
    endsType_ = type;
    index_.Build(*rules, ruleCount, width, alphabetSize);
    ruleCount = index_.RuleCount();  // never more than the store's slots

    const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(alphabetSize);
    textBuffer.clear();
    textBuffer.reserve(static_cast<size_t>(alphabetSize + 3) * static_cast<size_t>(width) + 2);
    predictionMatrix.assign(cells, 0.0);
    applicableRules.clear();
    applicableRules.reserve(static_cast<size_t>(ruleCount));
    selectedRules.clear();
    selectedRules.reserve(static_cast<size_t>(ruleCount));
    applicableFlag_.assign(static_cast<size_t>(ruleCount), 0);
    failedConditions_.assign(static_cast<size_t>(ruleCount), 1);
    const size_t words = (static_cast<size_t>(ruleCount) + kRulesPerWord - 1) / kRulesPerWord;
    applicableBits_.assign(words, 0);
    gainableBits_.assign(words, 0);
    noneFailedBits_.assign(words, 0);
    staleCells_.clear();
    staleCells_.reserve(cells);
    staleMark_.assign(cells, 0);
    applicableCount = 0;
    selectedCount = 0;
    workingObject = nullptr;
    currentObject = nullptr;
    return 0;
}

// ---- vocabulary ----

bool Classificator::applicable(int32_t i, const uint8_t* cells, const int32_t* counts) const {
    const SnapshotRule& rule = index_.rules[static_cast<size_t>(i)];
    if (!rule.usable) return false;
    bool flag = true;
    const CellCondition* cond = index_.conditions.data() + rule.firstCondition;
    for (int32_t c = 0; c < rule.conditionCount; ++c, ++cond) {
        const uint8_t set = cells[cond->position * alphabetSize + cond->letter];
        if (cond->sign > 0) {
            if (set == 0) return false;
        } else {
            if (set != 0) return false;
            // The letter itself is clear, so another letter is allowed exactly when the
            // position is not empty. Only the last negative condition decides the flag.
            flag = counts[cond->position] > 0;
        }
    }
    return flag;
}

double Classificator::agreement(int32_t i, const uint8_t* cells) const {
    return agreementIn(index_.rules[static_cast<size_t>(i)], cells);
}

void Classificator::countPositions() {
    if (workingObject == nullptr) return;
    countAllowed(workingObject->cells, width, alphabetSize, positionCounts_);
}

void Classificator::SelectApplicableRules() {
    applicableRules.clear();
    if (workingObject == nullptr) {
        std::fill(applicableFlag_.begin(), applicableFlag_.end(), uint8_t{0});
        std::fill(applicableBits_.begin(), applicableBits_.end(), uint64_t{0});
        std::fill(gainableBits_.begin(), gainableBits_.end(), uint64_t{0});
        std::fill(noneFailedBits_.begin(), noneFailedBits_.end(), uint64_t{0});
        failedConditions_.assign(static_cast<size_t>(ruleCount), 1);
        applicableCount = 0;
        return;
    }
    countPositions();
    const uint8_t* cells = workingObject->cells.data();
    const int32_t* counts = positionCounts_.data();
    // The rules 64 at a time, each word of bits made whole before it is stored.
    for (size_t w = 0; w < applicableBits_.size(); ++w) {
        uint64_t applicable = 0, gainable = 0, noneFailed = 0;
        const uint64_t regularRules = index_.onePerPosition[w];
        const auto first = static_cast<int32_t>(w * kRulesPerWord);
        const int32_t last =
            std::min<int32_t>(ruleCount, first + static_cast<int32_t>(kRulesPerWord));
        for (int32_t i = first; i < last; ++i) {
            const SnapshotRule& rule = index_.rules[static_cast<size_t>(i)];
            const uint64_t bit = uint64_t{1} << static_cast<size_t>(i - first);
            if (!rule.usable) {
                failedConditions_[static_cast<size_t>(i)] = 1;
                applicableFlag_[static_cast<size_t>(i)] = 0;
                continue;
            }
            // Every condition is counted (no early end), so that a gain can tell from this
            // count and one toggled cell whether the rule becomes applicable.
            int32_t failed = 0;
            const CellCondition* cond = index_.conditions.data() + rule.firstCondition;
            for (int32_t c = 0; c < rule.conditionCount; ++c, ++cond) {
                const bool set = cells[cond->position * alphabetSize + cond->letter] != 0;
                failed += (cond->sign > 0) != set ? 1 : 0;
            }
            failedConditions_[static_cast<size_t>(i)] = failed;
            // sortByFailed's bits.
            const bool regular = (regularRules & bit) != 0;
            if (!regular || failed == 1) gainable |= bit;
            if (regular && failed == 0) noneFailed |= bit;
            const bool now = failed == 0 && lastNegativeAllows(rule, counts);
            applicableFlag_[static_cast<size_t>(i)] = now ? 1 : 0;
            if (now) {
                applicable |= bit;
                applicableRules.push_back(i);
            }
        }
        applicableBits_[w] = applicable;
        gainableBits_[w] = gainable;
        noneFailedBits_[w] = noneFailed;
    }
    applicableCount = static_cast<int32_t>(applicableRules.size());
}

void Classificator::BuildPredictionMatrix() {
    std::fill(predictionMatrix.begin(), predictionMatrix.end(), 0.0);
    SelectApplicableRules();
    if (workingObject == nullptr) return;
    const uint8_t* cells = workingObject->cells.data();
    for (int32_t i : applicableRules) {
        const int32_t cell = index_.rules[static_cast<size_t>(i)].predictionCell;
        if (cell >= 0) predictionMatrix[static_cast<size_t>(cell)] += agreement(i, cells);
    }
}

// ---- gains ----
//
// Both gains toggle the cell in place, visit only the rules listed for that cell (the rules
// whose applicability or agreement the cell can change) and toggle it back. The text form is not
// refreshed around the toggle: it would be refreshed back to what it was.

double Classificator::DeletionGain(PositionLetter cell) {
    if (workingObject == nullptr || cell.position < 0 || cell.position >= width ||
        cell.letter < 0 || cell.letter >= alphabetSize)
        return 0.0;
    const int32_t c = cell.position * alphabetSize + cell.letter;
    if (workingObject->cells[static_cast<size_t>(c)] == 0) return 0.0;
    uint8_t* cells = workingObject->cells.data();
    int32_t* counts = positionCounts_.data();
    const int32_t p = cell.position;
    // The loops below read these through locals: the pushes into selectedRules cannot move them.
    const uint8_t* applicableNow = applicableFlag_.data();
    const SnapshotRule* snapshot = index_.rules.data();

    cells[c] = 0;
    --counts[p];
    const bool emptied = counts[p] == 0;
    double gain = 0.0;
    selectedRules.clear();
    // Gained: rules a negative condition on c kept out, applicable now.
    if (!emptied) {
        const int8_t* delta = index_.negativeOn.deltasOf(c);
        for (const int32_t* it = index_.negativeOn.begin(c); it != index_.negativeOn.end(c);
             ++it, ++delta) {
            if (applicableAfter(*it, *delta, counts)) {
                gain += agreementIn(snapshot[*it], cells);
                selectedRules.push_back(*it);
            }
        }
    }
    // Lost: applicable rules that needed c, or (position now empty) a negative condition at p.
    const CellLists& lost = emptied ? index_.positiveOrOtherNeg : index_.positiveOn;
    for (const int32_t *it = lost.begin(c), *end = lost.end(c); it != end; ++it) {
        if (applicableNow[*it] != 0) {
            gain -= agreementIn(snapshot[*it], cells);
            selectedRules.push_back(*it);
        }
    }
    // Concluding: applicable rules whose prediction cell is c.
    for (const int32_t *it = index_.concludingAt.begin(c), *end = index_.concludingAt.end(c);
         it != end; ++it) {
        if (applicableNow[*it] != 0) gain += snapshot[*it].concludingTerm;
    }
    cells[c] = 1;
    ++counts[p];
    selectedCount = static_cast<int32_t>(selectedRules.size());
    return gain;
}

double Classificator::InsertionGain(PositionLetter cell) {
    if (workingObject == nullptr || cell.position < 0 || cell.position >= width ||
        cell.letter < 0 || cell.letter >= alphabetSize)
        return 0.0;
    const int32_t c = cell.position * alphabetSize + cell.letter;
    if (workingObject->cells[static_cast<size_t>(c)] != 0) return 0.0;
    uint8_t* cells = workingObject->cells.data();
    int32_t* counts = positionCounts_.data();
    const int32_t p = cell.position;
    const uint8_t* applicableNow = applicableFlag_.data();
    const SnapshotRule* snapshot = index_.rules.data();

    cells[c] = 1;
    ++counts[p];
    const bool only = counts[p] == 1;
    double gain = 0.0;
    selectedRules.clear();
    // Gained: rules needing c or, when c is the position's only letter, a negative condition at
    // p on another letter; applicable now.
    const CellLists& gained = only ? index_.positiveOrOtherNeg : index_.positiveOn;
    const int8_t* delta = gained.deltasOf(c);
    for (const int32_t *it = gained.begin(c), *end = gained.end(c); it != end; ++it, ++delta) {
        if (applicableAfter(*it, -*delta, counts)) {
            gain += agreementIn(snapshot[*it], cells);
            selectedRules.push_back(*it);
        }
    }
    // Lost: applicable rules with a negative condition on c.
    if (!only) {
        for (const int32_t *it = index_.negativeOn.begin(c), *end = index_.negativeOn.end(c);
             it != end; ++it) {
            if (applicableNow[*it] != 0) {
                gain -= agreementIn(snapshot[*it], cells);
                selectedRules.push_back(*it);
            }
        }
    }
    gain -= predictionMatrix[static_cast<size_t>(c)];
    cells[c] = 0;
    --counts[p];
    selectedCount = static_cast<int32_t>(selectedRules.size());
    return gain;
}

// ---- strategies ----

namespace {

// The cell of the largest positive gain among the set (`set`) or clear cells of `cells`,
// positions outer and letters inner, the first of equal gains; -1 and 0 when no cell gains.
template <class Gain>
double bestGainCell(const uint8_t* cells, int32_t width, int32_t letters, bool set, Gain gain,
                    int32_t& bestCell) {
    double best = 0.0;
    bestCell = -1;
    for (int32_t p = 0; p < width; ++p) {
        for (int32_t l = 0; l < letters; ++l) {
            if ((cells[p * letters + l] != 0) != set) continue;
            const double g = gain(PositionLetter{p, l});
            if (g > best) {  // a NaN never compares greater
                best = g;
                bestCell = p * letters + l;
            }
        }
    }
    return best;
}

}  // namespace

void Classificator::DeletionGains(std::vector<double>& out) {
    out.clear();
    if (workingObject == nullptr) return;
    out.assign(workingObject->cells.size(), 0.0);
    for (int32_t c = 0; c < static_cast<int32_t>(out.size()); ++c) {
        if (workingObject->cells[static_cast<size_t>(c)] != 0)
            out[static_cast<size_t>(c)] = scanDeletionGain(c);
    }
}

void Classificator::InsertionGains(std::vector<double>& out) {
    out.clear();
    if (workingObject == nullptr) return;
    out.assign(workingObject->cells.size(), 0.0);
    for (int32_t c = 0; c < static_cast<int32_t>(out.size()); ++c) {
        if (workingObject->cells[static_cast<size_t>(c)] == 0)
            out[static_cast<size_t>(c)] = scanInsertionGain(c);
    }
}

// The gains through the bit rows: the same rules as the cell lists give, met in the same (rule)
// order, but found by intersecting the rows with the rules that can give a term instead of
// testing every listed rule. A rule that can be gained is one with a single failed condition,
// or one whose deltas are not the plain ones (onePerPosition); an insertion that makes a
// position's only letter also gains rules that fail nothing.

namespace {

// Calls visit(i) for every rule i of (a & b) | (a & c), in rule order.
template <class Visit>
void forEachOf(const uint64_t* a, const uint64_t* b, const uint64_t* c, size_t words, Visit visit) {
    for (size_t w = 0; w < words; ++w) {
        uint64_t word = a[w] & (b[w] | (c != nullptr ? c[w] : 0));
        for (; word != 0; word &= word - 1) {
            visit(static_cast<int32_t>(w * kRulesPerWord +
                                       static_cast<size_t>(std::countr_zero(word))));
        }
    }
}

}  // namespace

int32_t Classificator::deltaOn(int32_t i, int32_t cell) const {
    const SnapshotRule& rule = index_.rules[static_cast<size_t>(i)];
    const CellCondition* cond = index_.conditions.data() + rule.firstCondition;
    int32_t delta = 0;
    for (int32_t n = 0; n < rule.conditionCount; ++n, ++cond) {
        if (cond->position * alphabetSize + cond->letter == cell) delta += cond->sign;
    }
    return delta;
}

double Classificator::scanDeletionGain(int32_t c) {
    if (!index_.HasBits()) return DeletionGain({c / alphabetSize, c % alphabetSize});
    uint8_t* cells = workingObject->cells.data();
    int32_t* counts = positionCounts_.data();
    const int32_t p = c / alphabetSize;
    const SnapshotRule* snapshot = index_.rules.data();
    const uint64_t* regular = index_.onePerPosition.data();
    const size_t words = applicableBits_.size();

    cells[c] = 0;
    --counts[p];
    const bool emptied = counts[p] == 0;
    double gain = 0.0;
    if (!emptied) {
        forEachOf(index_.negativeBits.row(c), gainableBits_.data(), nullptr, words, [&](int32_t i) {
            const int32_t delta = hasBit(regular, i) ? -1 : deltaOn(i, c);
            if (applicableAfter(i, delta, counts)) gain += agreementIn(snapshot[i], cells);
        });
    }
    const CellBits& lost = emptied ? index_.positiveOrOtherNegBits : index_.positiveBits;
    forEachOf(lost.row(c), applicableBits_.data(), nullptr, words,
              [&](int32_t i) { gain -= agreementIn(snapshot[i], cells); });
    forEachOf(index_.concludingBits.row(c), applicableBits_.data(), nullptr, words,
              [&](int32_t i) { gain += snapshot[i].concludingTerm; });
    cells[c] = 1;
    ++counts[p];
    return gain;
}

double Classificator::scanInsertionGain(int32_t c) {
    if (!index_.HasBits()) return InsertionGain({c / alphabetSize, c % alphabetSize});
    uint8_t* cells = workingObject->cells.data();
    int32_t* counts = positionCounts_.data();
    const int32_t p = c / alphabetSize;
    const SnapshotRule* snapshot = index_.rules.data();
    const uint64_t* regular = index_.onePerPosition.data();
    const uint64_t* needs = index_.positiveBits.row(c);
    const size_t words = applicableBits_.size();

    cells[c] = 1;
    ++counts[p];
    const bool only = counts[p] == 1;
    double gain = 0.0;
    const CellBits& gained = only ? index_.positiveOrOtherNegBits : index_.positiveBits;
    forEachOf(gained.row(c), gainableBits_.data(), only ? noneFailedBits_.data() : nullptr, words,
              [&](int32_t i) {
                  const int32_t delta =
                      hasBit(regular, i) ? (hasBit(needs, i) ? 1 : 0) : deltaOn(i, c);
                  if (applicableAfter(i, -delta, counts)) gain += agreementIn(snapshot[i], cells);
              });
    if (!only) {
        forEachOf(index_.negativeBits.row(c), applicableBits_.data(), nullptr, words,
                  [&](int32_t i) { gain -= agreementIn(snapshot[i], cells); });
    }
    gain -= predictionMatrix[static_cast<size_t>(c)];
    cells[c] = 0;
    --counts[p];
    return gain;
}

double Classificator::deletionScan(int32_t& bestCell) {
    return bestGainCell(
        workingObject->cells.data(), width, alphabetSize, true,
        [this](PositionLetter cell) {
            return scanDeletionGain(cell.position * alphabetSize + cell.letter);
        },
        bestCell);
}

double Classificator::insertionScan(int32_t& bestCell) {
    return bestGainCell(
        workingObject->cells.data(), width, alphabetSize, false,
        [this](PositionLetter cell) {
            return scanInsertionGain(cell.position * alphabetSize + cell.letter);
        },
        bestCell);
}

void Classificator::sortByFailed(int32_t i) {
    const int32_t failed = failedConditions_[static_cast<size_t>(i)];
    const bool regular = hasBit(index_.onePerPosition.data(), i);
    setBit(gainableBits_, i, !regular || failed == 1);
    setBit(noneFailedBits_, i, regular && failed == 0);
}

void Classificator::refreshRule(int32_t i) {
    const auto r = static_cast<size_t>(i);
    sortByFailed(i);
    const bool now = applicableAfter(i, 0, positionCounts_.data());
    if (now == (applicableFlag_[r] != 0)) return;
    applicableFlag_[r] = now ? 1 : 0;
    setBit(applicableBits_, i, now);
    const int32_t c = index_.rules[r].predictionCell;
    if (c >= 0 && staleMark_[static_cast<size_t>(c)] == 0) {
        staleMark_[static_cast<size_t>(c)] = 1;
        staleCells_.push_back(c);
    }
}

void Classificator::resumPrediction(int32_t cell) {
    const uint8_t* cells = workingObject->cells.data();
    double sum = 0.0;
    for (const int32_t *it = index_.concludingAt.begin(cell), *end = index_.concludingAt.end(cell);
         it != end; ++it) {
        if (applicableFlag_[static_cast<size_t>(*it)] != 0) sum += agreement(*it, cells);
    }
    predictionMatrix[static_cast<size_t>(cell)] = sum;
}

void Classificator::listApplicable() {
    applicableRules.clear();
    forEachBit(applicableBits_, [this](int32_t i) { applicableRules.push_back(i); });
    applicableCount = static_cast<int32_t>(applicableRules.size());
}

void Classificator::applyChange(int32_t cell, bool set) {
    uint8_t* cells = workingObject->cells.data();
    const int32_t p = cell / alphabetSize;
    cells[cell] = set ? 1 : 0;
    positionCounts_[static_cast<size_t>(p)] += set ? 1 : -1;

    // Only rules with a condition on the cell change their failed count, and only those and the
    // rules whose last negative condition is at p can change their applicability.
    const int8_t* delta = index_.conditionOn.deltasOf(cell);
    for (const int32_t* it = index_.conditionOn.begin(cell); it != index_.conditionOn.end(cell);
         ++it, ++delta) {
        failedConditions_[static_cast<size_t>(*it)] += set ? -*delta : *delta;
        refreshRule(*it);
    }
    for (const int32_t* it = index_.lastNegativeAt.begin(p); it != index_.lastNegativeAt.end(p);
         ++it) {
        refreshRule(*it);
    }
    // The rules concluding at the cell now agree otherwise. Each changed cell of the matrix is
    // summed as BuildPredictionMatrix sums it: its applicable rules in rule order, from 0.
    if (index_.concludingAt.begin(cell) != index_.concludingAt.end(cell) &&
        staleMark_[static_cast<size_t>(cell)] == 0) {
        staleMark_[static_cast<size_t>(cell)] = 1;
        staleCells_.push_back(cell);
    }
    for (const int32_t c : staleCells_) {
        resumPrediction(c);
        staleMark_[static_cast<size_t>(c)] = 0;
    }
    staleCells_.clear();

    showText();
    // Pause only; a stop lets the object in hand finish (a half-idealized prototype must not
    // become a class).
    if (runControl_ != nullptr) runControl_->gate();
}

void Classificator::packState() {
    const std::vector<uint8_t>& cells = workingObject->cells;
    key_.assign((cells.size() + 7) / 8, '\0');
    for (size_t i = 0; i < cells.size(); ++i) {
        if (cells[i] != 0) key_[i / 8] = static_cast<char>(key_[i / 8] | (1 << (i % 8)));
    }
}

Classificator::Arrival Classificator::arrive() {
    packState();
    // A known state cannot also be one this run met: the run would then lead from it round to
    // itself, and the earlier run from it met no state twice.
    knownEnd_ = knownEnds_->find(key_, knownCells_);
    if (knownEnd_ >= 0) return Arrival::kKnown;
    // Runs are short (a few changes each), so the states met are searched one by one.
    if (std::find(path_.begin(), path_.end(), key_) != path_.end()) return Arrival::kRepeated;
    path_.push_back(key_);
    return Arrival::kNew;
}

void Classificator::rememberEnd() { knownEnds_->addEnd(path_, workingObject->cells); }

void Classificator::jumpToKnownEnd() {
    const bool moved = workingObject->cells != knownCells_;
    workingObject->cells.swap(knownCells_);
    countPositions();
    if (moved) showText();
    // The states that led here end there too.
    knownEnds_->add(path_, knownEnd_);
}

void Classificator::Idealize() {
    // A class borrowed by SelectIdealObject is never changed.
    if (workingObject != &scratch_) return;
    countPositions();
    showText();

    if (width > 0 && alphabetSize > 0) {
        if (endsType_ != idealizationType) {
            knownEnds_ = std::make_shared<KnownEnds>();
            endsType_ = idealizationType;
        }
        path_.clear();
        Arrival arrival = arrive();
        if (arrival != Arrival::kKnown) {
            int32_t cell = -1;
            // Every accepted change rebuilds the matrix (applyChange); a scan that changes
            // nothing leaves the state, and so the matrix, as they were.
            BuildPredictionMatrix();
            if (idealizationType == IdealizationType::kDeletingInserting) {
                // A pass is decided by the state it starts from; meeting a state again would
                // repeat the same passes forever, so the strategy ends there.
                while (arrival == Arrival::kNew) {
                    bool changed = false;
                    if (deletionScan(cell) > kGainThreshold) {
                        applyChange(cell, false);
                        changed = true;
                    }
                    if (insertionScan(cell) > kGainThreshold) {
                        applyChange(cell, true);
                        changed = true;
                    }
                    if (!changed) break;
                    arrival = arrive();
                }
            } else {
                const bool deleteFirst = idealizationType == IdealizationType::kDeletingBegin;
                // The same state would lead round the same loop.
                while (arrival == Arrival::kNew) {
                    if ((deleteFirst ? deletionScan(cell) : insertionScan(cell)) > kGainThreshold) {
                        applyChange(cell, !deleteFirst);
                        arrival = arrive();
                        continue;
                    }
                    if ((deleteFirst ? insertionScan(cell) : deletionScan(cell)) > kGainThreshold) {
                        applyChange(cell, deleteFirst);
                        arrival = arrive();
                        continue;
                    }
                    break;
                }
            }
        }
        if (arrival == Arrival::kKnown) {
            jumpToKnownEnd();
        } else {
            // Ended where nothing gains: every state met ends here.
            if (arrival == Arrival::kNew) rememberEnd();
            listApplicable();
        }
        path_.clear();
    }
    // Without a sink the text is made once, of the end (showText makes it only for a sink).
    if (sink_ == nullptr) refreshText();
    workingObject->ClearFullPositions();
}

// ---- initial working objects ----

void Classificator::startScratch() {
    workingObject = &scratch_;
    scratch_.value = 0.0;
}

bool Classificator::StartFromObject(const SEQSElem& object) {
    if (!isSetUp()) return false;
    scratch_.InitFromObject(width, alphabetSize, object);
    startScratch();
    currentObject = &object;
    countPositions();
    return true;
}

bool Classificator::StartFromRule(int32_t k) {
    if (!isSetUp() || k < 0 || k >= ruleCount) return false;
    scratch_.InitEmpty(width, alphabetSize);
    startScratch();
    currentObject = nullptr;
    const SnapshotRule& rule = index_.rules[static_cast<size_t>(k)];
    const CellCondition* cond = index_.conditions.data() + rule.firstCondition;
    for (int32_t c = 0; c < rule.conditionCount; ++c, ++cond) {
        if (cond->sign > 0) {
            scratch_.Allow({cond->position, cond->letter});
        } else {
            for (int32_t l = 0; l < alphabetSize; ++l) {
                if (l != cond->letter) scratch_.Allow({cond->position, l});
            }
        }
    }
    if (rule.targetPosition >= 0) {
        // The largest strictly positive probability; none leaves the target as it is.
        double best = 0.0;
        int32_t letter = -1;
        for (int32_t l = 0; l < alphabetSize; ++l) {
            const double v = index_.Probability(k, l);
            if (v > best) {
                best = v;
                letter = l;
            }
        }
        if (letter >= 0) scratch_.Allow({rule.targetPosition, letter});
    }
    countPositions();
    return true;
}

// ---- registration and classification ----

void Classificator::refreshText() {
    if (workingObject == nullptr || storage == nullptr) {
        textBuffer.clear();
        return;
    }
    workingObject->ToText(textBuffer, storage->codeTable);
}

void Classificator::showText() {
    if (sink_ == nullptr) return;
    refreshText();
    sink_->onEvent(ObjectIdealizing{textBuffer});
}

const CIdelObject* Classificator::IdealObjectAt(int32_t k) const {
    if (idealObjects == nullptr || k < 0 || k >= idealObjectCount ||
        k >= static_cast<int32_t>(idealObjects->size()))
        return nullptr;
    const CIdelObject* object = (*idealObjects)[static_cast<size_t>(k)].get();
    if (object == nullptr || object->positionCount != width ||
        object->alphabetSize != alphabetSize ||
        object->cells.size() != static_cast<size_t>(width) * static_cast<size_t>(alphabetSize))
        return nullptr;
    return object;
}

namespace {

std::string_view cellBytes(const CIdelObject& object) {
    return {reinterpret_cast<const char*>(object.cells.data()), object.cells.size()};
}

}  // namespace

void Classificator::forgetClassIndex() const {
    classByCells_.clear();
    indexedArray_ = nullptr;
    indexedSlots_ = nullptr;
    indexedFirst_ = nullptr;
    indexedLast_ = nullptr;
    indexedCount_ = 0;
}

void Classificator::indexClasses(int32_t n) const {
    const IdealObjectArray& objects = *idealObjects;
    const bool same = indexedArray_ == idealObjects && indexedSlots_ == objects.data() &&
                      indexedCount_ <= n &&
                      (indexedCount_ == 0 ||
                       (objects[0].get() == indexedFirst_ &&
                        objects[static_cast<size_t>(indexedCount_) - 1].get() == indexedLast_));
    if (!same) {
        forgetClassIndex();
        indexedArray_ = idealObjects;
        indexedSlots_ = objects.data();
    }
    for (int32_t k = indexedCount_; k < n; ++k) {
        const CIdelObject* object = objects[static_cast<size_t>(k)].get();
        // Only a matrix of the working object's shape can equal it; the first class keeps it.
        if (object != nullptr && object->positionCount == width &&
            object->alphabetSize == alphabetSize)
            classByCells_.emplace(std::string(cellBytes(*object)), k);
    }
    indexedCount_ = n;
    if (n > 0) {
        indexedFirst_ = objects[0].get();
        indexedLast_ = objects[static_cast<size_t>(n) - 1].get();
    }
}

int32_t Classificator::findClass() const {
    if (idealObjects == nullptr || workingObject == nullptr) return -1;
    const int32_t n =
        std::min<int32_t>(idealObjectCount, static_cast<int32_t>(idealObjects->size()));
    if (workingObject->positionCount != width || workingObject->alphabetSize != alphabetSize) {
        for (int32_t k = 0; k < n; ++k) {
            const CIdelObject* object = (*idealObjects)[static_cast<size_t>(k)].get();
            if (object != nullptr && *object == *workingObject) return k;
        }
        return -1;
    }
    indexClasses(n);
    const auto found = classByCells_.find(cellBytes(*workingObject));
    return found == classByCells_.end() ? -1 : found->second;
}

int32_t Classificator::IdealizeAndRegister(const SEQSElem* object, int32_t ruleIndex) {
    if (!isSetUp()) return -1;
    const bool started = object != nullptr ? StartFromObject(*object) : StartFromRule(ruleIndex);
    if (!started) return -1;
    refreshText();
    Idealize();
    return registerWorking(object, ruleIndex);
}

bool Classificator::adoptIdealized(const SEQSElem* object, const CIdelObject& result,
                                   const std::string& status) {
    if (!isSetUp() || result.positionCount != width || result.alphabetSize != alphabetSize ||
        result.cells.size() != static_cast<size_t>(width) * static_cast<size_t>(alphabetSize))
        return false;
    scratch_ = result;
    startScratch();
    scratch_.value = result.value;
    currentObject = object;
    countPositions();
    textBuffer = status;
    if (sink_ != nullptr) sink_->onEvent(ObjectIdealizing{textBuffer});
    return true;
}

int32_t Classificator::RegisterIdealized(const SEQSElem* object, int32_t ruleIndex,
                                         const CIdelObject& result, const std::string& status) {
    if (!adoptIdealized(object, result, status)) return -1;
    return registerWorking(object, ruleIndex);
}

int32_t Classificator::ClassifyIdealized(const CIdelObject& result, const std::string& status,
                                         int32_t row, ObjectSetKind kind) {
    if (!adoptIdealized(nullptr, result, status)) return -1;
    return classifyWorking(row, kind);
}

int32_t Classificator::registerWorking(const SEQSElem* object, int32_t ruleIndex) {
    int32_t k = findClass();
    if (k < 0) {
        if (idealObjects == nullptr) {
            workingObject = nullptr;
            return -1;
        }
        refreshText();
        if (sink_ != nullptr)
            sink_->onEvent(ClassMade{textBuffer, scratch_.Value(), idealObjectCount});
        // The array grows instead of overflowing: a run over rules, or one that appends to
        // existing classes, can find more classes than there are learning objects.
        k = std::max<int32_t>(idealObjectCount, 0);
        if (idealObjects->size() <= static_cast<size_t>(k))
            idealObjects->resize(static_cast<size_t>(k) + 1);
        (*idealObjects)[static_cast<size_t>(k)] = std::make_unique<CIdelObject>(scratch_);
        idealObjectCount = k + 1;
    }

    if (sink_ != nullptr) {
        if (object != nullptr) {
            const ObjectSet& learn = storage->learnObjects;
            const std::less_equal<const SEQSElem*> notAfter;
            if (learn.size() > 0 && notAfter(learn.data(), object) &&
                notAfter(object, learn.data() + (learn.size() - 1))) {
                const auto row = static_cast<int32_t>(object - learn.data());
                sink_->onEvent(LearningObjectClassed{row, k});
            }
        } else {
            sink_->onEvent(RuleClassed{ruleIndex, k});
        }
    }
    workingObject = nullptr;
    return k;
}

int32_t Classificator::ClassifyObject(const SEQSElem& object, int32_t row, ObjectSetKind kind) {
    if (!StartFromObject(object)) return -1;
    Idealize();
    return classifyWorking(row, kind);
}

int32_t Classificator::classifyWorking(int32_t row, ObjectSetKind kind) {
    const int32_t k = findClass();
    if (k >= 0) {
        if (sink_ != nullptr) sink_->onEvent(SetObjectClassed{kind, row - 1, k});
    } else {
        refreshText();
        if (sink_ != nullptr) sink_->onEvent(SetObjectClassed{kind, row - 1, -1});
    }
    workingObject = nullptr;
    return k;
}

// ---- scores and matrices ----

double Classificator::ScoreObject(const SEQSElem& object, int32_t objectIndex, int32_t k) {
    (void)objectIndex;
    const CIdelObject* idealObject = IdealObjectAt(k);
    if (idealObject == nullptr || !StartFromObject(object)) return 0.0;
    refreshText();
    applicableCount = 0;
    selectedCount = 0;
    SelectApplicableRules();

    countAllowed(idealObject->cells, width, alphabetSize, classCounts_);
    const uint8_t* classCells = idealObject->cells.data();
    selectedRules.clear();
    for (int32_t i : applicableRules) {
        const SnapshotRule& rule = index_.rules[static_cast<size_t>(i)];
        if (rule.predictionCell < 0 || !applicable(i, classCells, classCounts_.data())) continue;
        const bool allowed = classCells[rule.predictionCell] != 0;
        if ((rule.r > 0 && allowed) || (rule.r < 0 && !allowed)) selectedRules.push_back(i);
    }
    selectedCount = static_cast<int32_t>(selectedRules.size());

    std::fill(predictionMatrix.begin(), predictionMatrix.end(), 0.0);
    const uint8_t* cells = scratch_.cells.data();
    for (int32_t i : selectedRules) {
        predictionMatrix[static_cast<size_t>(
            index_.rules[static_cast<size_t>(i)].predictionCell)] += agreement(i, cells);
    }
    double score = 0.0;
    for (const double v : predictionMatrix) score += v;  // positions first, letters within
    workingObject = nullptr;
    return score;
}

int32_t Classificator::RuleStatus(int32_t i, int32_t k) {
    const CIdelObject* idealObject = IdealObjectAt(k);
    if (idealObject == nullptr || i < 0 || i >= ruleCount) return 0;
    countAllowed(idealObject->cells, width, alphabetSize, classCounts_);
    const uint8_t* classCells = idealObject->cells.data();
    if (!applicable(i, classCells, classCounts_.data())) return 0;
    const SnapshotRule& rule = index_.rules[static_cast<size_t>(i)];
    if (rule.predictionCell < 0) return 2;
    const bool allowed = classCells[rule.predictionCell] != 0;
    return (rule.r > 0 && allowed) || (rule.r < 0 && !allowed) ? 1 : 2;
}

bool Classificator::SelectIdealObject(int32_t k) {
    const CIdelObject* idealObject = IdealObjectAt(k);
    workingObject =
        idealObject != nullptr ? (*idealObjects)[static_cast<size_t>(k)].get() : nullptr;
    BuildPredictionMatrix();  // reads the borrowed class, never writes it
    return workingObject != nullptr;
}

double Classificator::PredictionValue(int32_t p, int32_t l) const {
    if (p < 0 || p >= width || l < 0 || l >= alphabetSize) return 0.0;
    return predictionMatrix[static_cast<size_t>(p * alphabetSize + l)];
}

double Classificator::RecognitionValue(int32_t p, int32_t l) const {
    if (workingObject == nullptr || p < 0 || p >= width || l < 0 || l >= alphabetSize) return 0.0;
    const int32_t c = p * alphabetSize + l;
    const double predicted = predictionMatrix[static_cast<size_t>(c)];
    if (predicted > 0) return predicted;
    const uint8_t* cells = workingObject->cells.data();
    const bool allowed = cells[c] != 0;
    double value = 0.0;
    for (int32_t i : applicableRules) {
        const SnapshotRule& rule = index_.rules[static_cast<size_t>(i)];
        const CellCondition* cond = index_.conditions.data() + rule.firstCondition;
        bool uses = false;
        for (int32_t n = 0; n < rule.conditionCount && !uses; ++n, ++cond) {
            if (cond->position != p) continue;
            uses = allowed ? (cond->sign > 0 && cond->letter == l)
                           : (cond->sign < 0 && cond->letter != l);
        }
        if (uses) value += agreement(i, cells);
    }
    return value;
}

int32_t Classificator::RemoveIdealObject(int32_t k) {
    if (idealObjects == nullptr || idealObjectCount <= 0) return 1;
    const int32_t n =
        std::min<int32_t>(idealObjectCount, static_cast<int32_t>(idealObjects->size()));
    if (k < 0 || k >= n) return 0;
    IdealObjectArray& objects = *idealObjects;
    if (workingObject == objects[static_cast<size_t>(k)].get()) workingObject = nullptr;
    forgetClassIndex();
    objects[static_cast<size_t>(k)].reset();
    for (int32_t j = k; j + 1 < n; ++j) {
        objects[static_cast<size_t>(j)] = std::move(objects[static_cast<size_t>(j) + 1]);
    }
    objects[static_cast<size_t>(n) - 1].reset();
    --idealObjectCount;
    return -1;
}

}  // namespace motifora
