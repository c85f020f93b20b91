// The class scorer: the counted rules of a class as cell masks, and the 64-window scoring loop.
#include "genome/ClassScorer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define MOTIFORA_WIDE_SUMS 1
#endif

#include "classify/Classificator.h"

namespace motifora {

namespace {

constexpr size_t kBlock = 64;

// 64 bits of `bits` starting at bit `first` (the word after the last one read must exist).
inline uint64_t bitsFrom(const uint64_t* bits, size_t first) {
    const size_t word = first >> 6;
    const unsigned shift = static_cast<unsigned>(first & 63);
    uint64_t value = bits[word] >> shift;
    if (shift != 0) value |= bits[word + 1] << (64 - shift);
    return value;
}

}  // namespace

int32_t ClassScorer::slotOf(int32_t position, int32_t letter) {
    const size_t cell = static_cast<size_t>(position) * static_cast<size_t>(alphabetSize_) +
                        static_cast<size_t>(letter);
    if (slotByCell_[cell] < 0) {
        slotByCell_[cell] = static_cast<int32_t>(slots_.size());
        slots_.push_back({position, letter});
    }
    return slotByCell_[cell];
}

bool ClassScorer::Build(Classificator& classificator, int32_t k, int32_t letters) {
    *this = ClassScorer();
    if (classificator.IdealObjectAt(k) == nullptr || classificator.width <= 0 ||
        classificator.alphabetSize <= 0 || classificator.alphabetSize > kMaxScanAlphabet)
        return false;
    const int32_t present =
        letters >= 1 && letters < classificator.width ? letters : classificator.width;
    width_ = present;
    alphabetSize_ = classificator.alphabetSize;
    classIndex_ = k;
    slotByCell_.assign(
        static_cast<size_t>(classificator.width) * static_cast<size_t>(alphabetSize_), -1);

    const RuleCellIndex& index = classificator.RuleIndex();
    // The counted rules in store order, then grouped by prediction cell keeping that order. A
    // rule that needs a letter on an empty position, or whose last negative condition finds its
    // position empty, applies to no window.
    std::vector<int32_t> counted;
    for (int32_t i = 0; i < index.RuleCount(); ++i) {
        if (classificator.RuleStatus(i, k) != 1) continue;
        const SnapshotRule& rule = index.rules[static_cast<size_t>(i)];
        bool possible = rule.lastNegativePosition < present;
        for (int32_t c = 0; c < rule.conditionCount && possible; ++c) {
            const CellCondition& condition =
                index.conditions[static_cast<size_t>(rule.firstCondition + c)];
            possible = condition.sign < 0 || condition.position < present;
        }
        if (possible) counted.push_back(i);
    }
    std::stable_sort(counted.begin(), counted.end(), [&index](int32_t a, int32_t b) {
        return index.rules[static_cast<size_t>(a)].predictionCell <
               index.rules[static_cast<size_t>(b)].predictionCell;
    });
    int32_t lastCell = -1;
    int32_t emptySlot = -1;
    for (const int32_t i : counted) {
        const SnapshotRule& rule = index.rules[static_cast<size_t>(i)];
        if (groups_.empty() || rule.predictionCell != lastCell) {
            int32_t slot = 0;
            if (rule.targetPosition < present) {
                slot = slotOf(rule.targetPosition, rule.predictionLetter);
            } else {
                if (emptySlot < 0) {
                    emptySlot = static_cast<int32_t>(slots_.size());
                    slots_.push_back({kEmptyCell, 0});
                }
                slot = emptySlot;
            }
            groups_.push_back({static_cast<int32_t>(rules_.size()), 0, slot});
            lastCell = rule.predictionCell;
        }
        CountedRule out{};
        out.firstCondition = static_cast<int32_t>(conditions_.size());
        out.agreement[0] = rule.agreementIfClear;
        out.agreement[1] = rule.agreementIfSet;
        for (int32_t c = 0; c < rule.conditionCount; ++c) {
            const CellCondition& condition =
                index.conditions[static_cast<size_t>(rule.firstCondition + c)];
            // A negative condition on an empty position holds for every window.
            if (condition.position >= present) continue;
            conditions_.push_back({slotOf(condition.position, condition.letter),
                                   condition.sign > 0 ? uint64_t{0} : ~uint64_t{0}});
        }
        out.conditionCount = static_cast<int32_t>(conditions_.size()) - out.firstCondition;
        rules_.push_back(out);
        weights_.push_back(rule.agreementIfSet);
        ++groups_.back().ruleCount;
    }
#if MOTIFORA_WIDE_SUMS
    // The wide sums flip the sign bit of the agreement with the letter to get the one without.
    bool opposite = true;
    for (const CountedRule& rule : rules_) {
        const double flipped = -rule.agreement[1];
        opposite = opposite && std::memcmp(&flipped, &rule.agreement[0], sizeof flipped) == 0;
    }
    wide_ = opposite && __builtin_cpu_supports("avx2");
#endif
    return true;
}

void ClassScorer::Score(const uint8_t* codes, size_t count, double* scores, uint8_t* valid,
                        ScorerScratch& scratch) const {
    if (width_ <= 0) return;
    for (size_t first = 0; first < count; first += kBlock) {
        scoreBlock(codes + first, std::min(kBlock, count - first), scores + first, valid + first,
                   scratch);
    }
}

void ClassScorer::scoreBlock(const uint8_t* codes, size_t count, double* scores, uint8_t* valid,
                             ScorerScratch& scratch) const {
    // Bit i of letter l's row: the span's position i holds l. One spare word keeps bitsFrom in
    // bounds.
    const size_t span = count + static_cast<size_t>(width_) - 1;
    const size_t words = (span + 63) / 64 + 1;
    const auto letters = static_cast<size_t>(alphabetSize_);
    scratch.letterBits.assign(letters * words, 0);
    scratch.noLetterBits.assign(words, 0);
    uint64_t* letterBits = scratch.letterBits.data();
    uint64_t* noLetter = scratch.noLetterBits.data();
    for (size_t i = 0; i < span; ++i) {
        const size_t code = codes[i];
        const uint64_t bit = uint64_t{1} << (i & 63);
        if (code < letters)
            letterBits[code * words + (i >> 6)] |= bit;
        else
            noLetter[i >> 6] |= bit;
    }
    uint64_t blocked = 0;
    for (size_t p = 0; p < static_cast<size_t>(width_); ++p) blocked |= bitsFrom(noLetter, p);
    const uint64_t inRange = count == kBlock ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
    const uint64_t usable = ~blocked & inRange;

    scratch.slotMasks.resize(slots_.size());
    uint64_t* slotMasks = scratch.slotMasks.data();
    for (size_t s = 0; s < slots_.size(); ++s) {
        slotMasks[s] = slots_[s].position == kEmptyCell
                           ? uint64_t{0}
                           : bitsFrom(letterBits + static_cast<size_t>(slots_[s].letter) * words,
                                      static_cast<size_t>(slots_[s].position));
    }

    if (wide_)
        sumWide(slotMasks, usable, count, scratch);
    else
        sumNarrow(slotMasks, usable, scratch);
    const double* totals = scratch.scores;
    for (size_t j = 0; j < count; ++j) {
        const bool ok = ((usable >> j) & 1) != 0;
        valid[j] = ok ? 1 : 0;
        scores[j] = ok ? totals[j] : 0.0;
    }
}

// Window by window: each rule adds its agreement to the cell sums of the windows it applies to.
void ClassScorer::sumNarrow(const uint64_t* slotMasks, uint64_t usable,
                            ScorerScratch& scratch) const {
    double* sums = scratch.cellSums;
    double* totals = scratch.scores;
    std::fill(totals, totals + kBlock, 0.0);
    const Condition* conditions = conditions_.data();
    for (const CellGroup& group : groups_) {
        const uint64_t holds = slotMasks[group.slot];
        uint64_t touched = 0;
        const CountedRule* rule = rules_.data() + group.firstRule;
        for (int32_t r = 0; r < group.ruleCount; ++r, ++rule) {
            uint64_t applies = usable;
            const Condition* condition = conditions + rule->firstCondition;
            for (int32_t c = 0; c < rule->conditionCount && applies != 0; ++c, ++condition)
                applies &= slotMasks[condition->slot] ^ condition->invert;
            touched |= applies;
            while (applies != 0) {
                const int j = std::countr_zero(applies);
                sums[j] += rule->agreement[(holds >> j) & 1];
                applies &= applies - 1;
            }
        }
        // The cell's sum joins the score; a window no rule of the cell applied to would add an
        // exact zero, which changes nothing.
        while (touched != 0) {
            const int j = std::countr_zero(touched);
            totals[j] += sums[j];
            sums[j] = 0.0;
            touched &= touched - 1;
        }
    }
}

#if MOTIFORA_WIDE_SUMS

namespace {

// Lane masks of a 4-bit window pattern: lane i all ones when bit i is set.
struct LaneTables {
    alignas(32) uint64_t ones[16][4];
    alignas(32) uint64_t signWhenClear[16][4];  // the sign bit in lanes whose bit is clear
    LaneTables() {
        for (int pattern = 0; pattern < 16; ++pattern) {
            for (int lane = 0; lane < 4; ++lane) {
                const bool set = ((pattern >> lane) & 1) != 0;
                ones[pattern][lane] = set ? ~uint64_t{0} : 0;
                signWhenClear[pattern][lane] = set ? 0 : uint64_t{1} << 63;
            }
        }
    }
};
const LaneTables kLanes;

}  // namespace

// Four windows per register. A rule that does not apply to a window adds +0.0 to its cell sum,
// which leaves every sum as it was (a sum that starts at +0.0 never becomes -0.0), so the
// additions that matter happen in the same order as window by window.
__attribute__((target("avx2"))) void ClassScorer::sumWide(const uint64_t* slotMasks,
                                                          uint64_t usable, size_t count,
                                                          ScorerScratch& scratch) const {
    const size_t ruleCount = rules_.size();
    scratch.applies.resize(ruleCount);
    uint64_t* applies = scratch.applies.data();
    const Condition* conditions = conditions_.data();
    for (size_t r = 0; r < ruleCount; ++r) {
        const CountedRule& rule = rules_[r];
        uint64_t mask = usable;
        const Condition* condition = conditions + rule.firstCondition;
        for (int32_t c = 0; c < rule.conditionCount; ++c, ++condition)
            mask &= slotMasks[condition->slot] ^ condition->invert;
        applies[r] = mask;
    }
    const double* weights = weights_.data();
    const auto* ones = reinterpret_cast<const __m256d*>(kLanes.ones);
    const auto* signs = reinterpret_cast<const __m256d*>(kLanes.signWhenClear);
    double* totals = scratch.scores;
    // Two independent runs of four windows, so that consecutive additions do not wait for
    // each other.
    constexpr size_t kRuns = 2;
    for (size_t first = 0; first < count; first += 4 * kRuns) {
        __m256d score[kRuns];
        for (size_t k = 0; k < kRuns; ++k) score[k] = _mm256_setzero_pd();
        for (const CellGroup& group : groups_) {
            const uint64_t holds = slotMasks[group.slot] >> first;
            __m256d sign[kRuns];
            __m256d sum[kRuns];
            for (size_t k = 0; k < kRuns; ++k) {
                sign[k] = signs[(holds >> (4 * k)) & 15];
                sum[k] = _mm256_setzero_pd();
            }
            const auto end = static_cast<size_t>(group.firstRule + group.ruleCount);
            for (auto r = static_cast<size_t>(group.firstRule); r < end; ++r) {
                const __m256d weight = _mm256_broadcast_sd(weights + r);
                const uint64_t mask = applies[r] >> first;
                for (size_t k = 0; k < kRuns; ++k) {
                    const __m256d agreement = _mm256_xor_pd(weight, sign[k]);
                    sum[k] = _mm256_add_pd(sum[k],
                                           _mm256_and_pd(agreement, ones[(mask >> (4 * k)) & 15]));
                }
            }
            for (size_t k = 0; k < kRuns; ++k) score[k] = _mm256_add_pd(score[k], sum[k]);
        }
        for (size_t k = 0; k < kRuns; ++k) _mm256_storeu_pd(totals + first + 4 * k, score[k]);
    }
}

#else

void ClassScorer::sumWide(const uint64_t* slotMasks, uint64_t usable, size_t,
                          ScorerScratch& scratch) const {
    sumNarrow(slotMasks, usable, scratch);
}

#endif

}  // namespace motifora
