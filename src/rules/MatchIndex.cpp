// The bitset evaluation of rules: counts by popcount, the Fisher tail with safe early stops.
#include "rules/MatchIndex.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

// The counting loops run once per candidate rule; the popcnt instruction makes them several times
// faster than the library's bit counting. Clones with and without it are chosen at load time, so
// the program still runs on processors that lack it.
// Sanitizer runtimes start after the ifunc resolvers run, so sanitized builds use the plain loop.
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MOTIFORA_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MOTIFORA_SANITIZED 1
#endif
#if defined(__x86_64__) && defined(__ELF__) && !defined(MOTIFORA_SANITIZED)
#define MOTIFORA_POPCNT_CLONES __attribute__((target_clones("popcnt", "default")))
#else
#define MOTIFORA_POPCNT_CLONES
#endif

namespace motifora {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

// For every letter j at a position (rows[j]): matched[j] = |P and row_j| and
// joint[j * letters + l] = |P and row_j and target_l|, over the nonzero words of the parent
// match set P. Both arrays start at 0.
template <int kLetters>
[[gnu::always_inline]] inline void countPositionFixed(const uint64_t* parent,
                                                      const int32_t* nonzero, int32_t nonzeroCount,
                                                      const uint64_t* rows,
                                                      const uint64_t* targetRows, int32_t words,
                                                      int64_t* matched, int64_t* joint) {
    const size_t stride = static_cast<size_t>(words);
    for (int32_t k = 0; k < nonzeroCount; ++k) {
        const size_t w = static_cast<size_t>(nonzero[k]);
        const uint64_t pw = parent[w];
        uint64_t pt[kLetters];
        for (int l = 0; l < kLetters; ++l)
            pt[l] = pw & targetRows[static_cast<size_t>(l) * stride + w];
        for (int j = 0; j < kLetters; ++j) {
            const uint64_t c = rows[static_cast<size_t>(j) * stride + w];
            matched[j] += std::popcount(pw & c);
            for (int l = 0; l < kLetters; ++l) joint[j * kLetters + l] += std::popcount(c & pt[l]);
        }
    }
}

MOTIFORA_POPCNT_CLONES
void countPosition(const uint64_t* parent, const int32_t* nonzero, int32_t nonzeroCount,
                   const uint64_t* rows, const uint64_t* targetRows, int32_t words, int32_t letters,
                   int64_t* matched, int64_t* joint) {
    switch (letters) {
        case 2:
            return countPositionFixed<2>(parent, nonzero, nonzeroCount, rows, targetRows, words,
                                         matched, joint);
        case 4:
            return countPositionFixed<4>(parent, nonzero, nonzeroCount, rows, targetRows, words,
                                         matched, joint);
        default:
            break;
    }
    const size_t stride = static_cast<size_t>(words);
    for (int32_t k = 0; k < nonzeroCount; ++k) {
        const size_t w = static_cast<size_t>(nonzero[k]);
        const uint64_t pw = parent[w];
        for (int32_t j = 0; j < letters; ++j) {
            const uint64_t c = pw & rows[static_cast<size_t>(j) * stride + w];
            if (c == 0) continue;
            matched[j] += std::popcount(c);
            for (int32_t l = 0; l < letters; ++l) {
                joint[static_cast<size_t>(j) * static_cast<size_t>(letters) +
                      static_cast<size_t>(l)] +=
                    std::popcount(c & targetRows[static_cast<size_t>(l) * stride + w]);
            }
        }
    }
}

// Objects in both sets.
MOTIFORA_POPCNT_CLONES
int64_t countBoth(const uint64_t* a, const uint64_t* b, int32_t words) {
    int64_t total = 0;
    for (int32_t w = 0; w < words; ++w) total += std::popcount(a[w] & b[w]);
    return total;
}

MOTIFORA_POPCNT_CLONES
int64_t countAll(const uint64_t* a, int32_t words) {
    int64_t total = 0;
    for (int32_t w = 0; w < words; ++w) total += std::popcount(a[w]);
    return total;
}

}  // namespace

void MatchIndex::Build(const SEQStorage& storage) {
    objects = std::max(0, std::min(storage.learnObjectCount, storage.learnObjects.size()));
    words = (objects + 63) / 64;
    positions = std::max(storage.width, 0);
    letters = std::max(storage.alphabetSize, 0);
    bits_.assign(
        static_cast<size_t>(positions) * static_cast<size_t>(letters) * static_cast<size_t>(words),
        0);
    all_.assign(static_cast<size_t>(words), 0);
    letterTotals_.assign(static_cast<size_t>(positions) * static_cast<size_t>(letters), 0);
    for (int32_t o = 0; o < objects; ++o) {
        const uint64_t bit = uint64_t{1} << (o % 64);
        const size_t word = static_cast<size_t>(o / 64);
        all_[word] |= bit;
        const SEQSElem& object = storage.learnObjects[o];
        const int32_t covered = std::min(positions, object.positionCount());
        for (int32_t p = 0; p < covered; ++p) {
            const int32_t code = object.codeAt(p);
            if (code < 0 || code >= letters) continue;
            const size_t r =
                static_cast<size_t>(p) * static_cast<size_t>(letters) + static_cast<size_t>(code);
            bits_[r * static_cast<size_t>(words) + word] |= bit;
            ++letterTotals_[r];
        }
    }
    logFactorials_.resize(static_cast<size_t>(objects) + 1);
    for (size_t k = 0; k < logFactorials_.size(); ++k) {
        logFactorials_[k] = Rule::LogFactorial(static_cast<int64_t>(k));
    }
}

void MatchIndex::Build(const SEQStorage& storage, int32_t tolerance, int32_t span) {
    Build(storage);
    span = std::clamp(span, 0, positions);
    if (tolerance <= 0 || span == 0) return;
    const auto stride = static_cast<size_t>(words);
    const auto rowSize = static_cast<size_t>(letters) * stride;
    // Each dilated row reads the exact rows, kept aside until every row is made.
    const std::vector<uint64_t> exact(bits_.begin(),
                                      bits_.begin() + static_cast<std::ptrdiff_t>(span * rowSize));
    for (int32_t p = 0; p < span; ++p) {
        const int32_t first = std::max(p - tolerance, 0);
        const int32_t last = std::min(p + tolerance, span - 1);
        for (int32_t l = 0; l < letters; ++l) {
            uint64_t* to =
                bits_.data() + static_cast<size_t>(p) * rowSize + static_cast<size_t>(l) * stride;
            for (int32_t q = first; q <= last; ++q) {
                const uint64_t* from = exact.data() + static_cast<size_t>(q) * rowSize +
                                       static_cast<size_t>(l) * stride;
                for (size_t w = 0; w < stride; ++w) to[w] |= from[w];
            }
            letterTotals_[static_cast<size_t>(p) * static_cast<size_t>(letters) +
                          static_cast<size_t>(l)] = static_cast<int32_t>(countAll(to, words));
        }
    }
}

void MatchIndex::apply(const RuleCondition& c, uint64_t* set) const {
    if (c.sign != 1 && c.sign != -1) {
        std::fill(set, set + words, uint64_t{0});
        return;
    }
    const bool inside =
        c.position >= 0 && c.position < positions && c.letter >= 0 && c.letter < letters;
    if (!inside) {
        // No object has this letter there: a positive condition fails everywhere, a negative one
        // holds everywhere.
        if (c.sign == 1) std::fill(set, set + words, uint64_t{0});
        return;
    }
    const uint64_t* r = row(c.position, c.letter);
    if (c.sign == 1) {
        for (int32_t w = 0; w < words; ++w) set[w] &= r[w];
    } else {
        for (int32_t w = 0; w < words; ++w) set[w] &= ~r[w];
    }
}

void MatchIndex::MatchSet(const Rule& rule, std::vector<uint64_t>& out) const {
    out = all_;
    for (int32_t i = 0; i < rule.conditionCount; ++i) apply(rule.Condition(i), out.data());
}

int32_t MatchIndex::Popcount(const std::vector<uint64_t>& set) const {
    return static_cast<int32_t>(countAll(set.data(), static_cast<int32_t>(set.size())));
}

double MatchIndex::probabilitiesFrom(const int64_t* counts, int64_t n, int32_t letterTotal,
                                     const LetterFrequencyTable* freq, int32_t target,
                                     double* out) {
    double cp = 0.0;
    for (int32_t j = 0; j < letterTotal; ++j) {
        const int64_t nj = counts[j];
        const double f = freq != nullptr ? freq->at(target, j) : 0.0;
        const double value = Rule::LetterProbability(nj, n, f);
        out[j] = value;
        if (std::fabs(value) > cp) cp = std::fabs(value);
    }
    out[letterTotal] = 0.0;
    return cp;
}

namespace {

// BestPrediction over a plain array (same tie rule as Rule::BestPrediction).
double bestOf(const double* values, int32_t count, int32_t& letter) {
    double best = 0.0;
    for (int32_t j = 0; j < count; ++j) {
        const double value = values[j];
        if (std::fabs(value) > std::fabs(best) ||
            (std::fabs(value) == std::fabs(best) && value > best)) {
            best = value;
            letter = j;
        }
    }
    return best;
}

}  // namespace

FisherTable MatchIndex::tableFor(int64_t matchCount, int64_t targetLetterCount, double value,
                                 int32_t target, int32_t letter) const {
    int64_t right = objects;
    int64_t t11 = matchCount;
    if (value > 0) {
        right = letterCount(target, letter);
        t11 = targetLetterCount;
    } else if (value < 0) {
        right = objects - letterCount(target, letter);
        t11 = matchCount - targetLetterCount;
    }
    FisherTable t;
    t.t11 = t11;
    t.t12 = matchCount - t11;
    t.t21 = right - t11;
    t.t22 = objects - matchCount - t.t21;
    return t;
}

std::vector<int32_t> MatchIndex::NonzeroWords(const std::vector<uint64_t>& set) const {
    std::vector<int32_t> out;
    for (int32_t w = 0; w < words; ++w) {
        if (set[static_cast<size_t>(w)] != 0) out.push_back(w);
    }
    return out;
}

void MatchIndex::PositionCounts(const std::vector<uint64_t>& parentMatch,
                                const std::vector<int32_t>& nonzeroWords, int32_t position,
                                int32_t target, int64_t* matched, int64_t* joint) const {
    std::fill(matched, matched + letters, int64_t{0});
    std::fill(joint, joint + static_cast<size_t>(letters) * static_cast<size_t>(letters),
              int64_t{0});
    if (position < 0 || position >= positions || target < 0 || target >= positions) return;
    countPosition(parentMatch.data(), nonzeroWords.data(),
                  static_cast<int32_t>(nonzeroWords.size()), row(position, 0), row(target, 0),
                  words, letters, matched, joint);
}

void MatchIndex::ParentCounts(const std::vector<uint64_t>& parentMatch, int32_t target,
                              int64_t* perLetter) const {
    for (int32_t l = 0; l < letters; ++l) {
        perLetter[l] = (target >= 0 && target < positions)
                           ? countBoth(parentMatch.data(), row(target, l), words)
                           : 0;
    }
}

ChildEvaluation MatchIndex::EvaluateCounts(const Rule& parent, int64_t parentMatchCount,
                                           int64_t matchCount, const int64_t* counts,
                                           int32_t target, const LetterFrequencyTable& freq,
                                           double threshold, double* probabilities) const {
    ChildEvaluation result;
    // The same match set as the parent's gives the parent's own evaluation, so the child's cp
    // cannot be above it (the root was never evaluated, so it is exempt).
    if (parent.conditionCount > 0 && matchCount == parentMatchCount) return result;
    int64_t n = 0;
    int64_t largest = 0;
    for (int32_t j = 0; j < letters; ++j) {
        n += counts[j];
        largest = std::max(largest, counts[j]);
    }
    // No object with a letter at the target: the child keeps fisher 1.0 and cp 0.0.
    if (n == 0) return result;
    // Every |probability| is some (k + 1) / (n + 2) with k <= max(n_j, n - n_j), and rounded
    // division is monotonic, so this bound decides "cp not above the parent's" with one division.
    int64_t smallest = counts[0];
    for (int32_t j = 1; j < letters; ++j) smallest = std::min(smallest, counts[j]);
    const int64_t numerator = std::max(largest, n - smallest) + 1;
    if (!(static_cast<double>(numerator) / static_cast<double>(n + 2) > parent.cp)) return result;
    const double cp = probabilitiesFrom(counts, n, letters, &freq, target, probabilities);
    if (!(cp > parent.cp)) return result;  // also covers a child without any prediction
    int32_t best = -1;
    const double value = bestOf(probabilities, letters, best);
    const int64_t targetLetterCount = best >= 0 ? counts[best] : 0;
    const FisherTable t = tableFor(matchCount, targetLetterCount, value, target, best);
    double probability = 0.0;
    // Past the threshold the child gets fisher 1.0; at or past the parent's fisher it is
    // destroyed either way.
    const FisherTailStop stop{threshold, parent.fisher, true};
    const int code = Rule::FisherTestTable(t, threshold, probability, &stop, LogFactorials(),
                                           LogFactorialCount());
    const double fisher = code == 3 ? probability : 1.0;
    if (!(fisher < parent.fisher)) return result;
    result.passes = true;
    result.fisher = fisher;
    result.cp = cp;
    result.table = t;
    return result;
}

ChildEvaluation MatchIndex::EvaluateChild(const Rule& parent,
                                          const std::vector<uint64_t>& parentMatch,
                                          int32_t parentMatchCount, int32_t position, int16_t sign,
                                          int32_t letter, int32_t target,
                                          const LetterFrequencyTable& freq, double threshold,
                                          double* probabilities) const {
    const size_t a = static_cast<size_t>(letters);
    std::vector<int64_t> matched(a), joint(a * a), parentLetters(a), counts(a);
    ParentCounts(parentMatch, target, parentLetters.data());
    PositionCounts(parentMatch, NonzeroWords(parentMatch), position, target, matched.data(),
                   joint.data());
    const bool inside = position >= 0 && position < positions && letter >= 0 && letter < letters;
    int64_t matchCount = 0;
    for (size_t l = 0; l < a; ++l) {
        const int64_t with = inside ? joint[static_cast<size_t>(letter) * a + l] : 0;
        counts[l] = sign == 1 ? with : (sign == -1 ? parentLetters[l] - with : 0);
    }
    const int64_t withCount = inside ? matched[static_cast<size_t>(letter)] : 0;
    matchCount = sign == 1 ? withCount : (sign == -1 ? parentMatchCount - withCount : 0);
    return EvaluateCounts(parent, parentMatchCount, matchCount, counts.data(), target, freq,
                          threshold, probabilities);
}

void MatchIndex::Evaluate(Rule& rule) const {
    std::vector<uint64_t> match;
    MatchSet(rule, match);
    const int32_t target = rule.targetPosition;
    std::vector<int64_t> counts(static_cast<size_t>(letters), 0);
    if (target >= 0 && target < positions) {
        for (int32_t j = 0; j < letters; ++j) {
            counts[static_cast<size_t>(j)] = countBoth(match.data(), row(target, j), words);
        }
    }
    int64_t n = 0;
    for (int64_t c : counts) n += c;
    if (n == 0) {
        std::fill(rule.letterProbability.begin(), rule.letterProbability.end(), 0.0);
        return;
    }
    std::vector<double> values(static_cast<size_t>(letters) + 1, 0.0);
    const double cp = probabilitiesFrom(counts.data(), n, letters, rule.letterFrequency.get(),
                                        target, values.data());
    const size_t kept = std::min(values.size(), rule.letterProbability.size());
    std::copy_n(values.begin(), kept, rule.letterProbability.begin());
    rule.cp = cp;
    int32_t best = -1;
    const double value = rule.BestPrediction(best);
    const int64_t matchCount = Popcount(match);
    rule.table = tableFor(matchCount, best >= 0 ? counts[static_cast<size_t>(best)] : 0, value,
                          target, best);
    double probability = 0.0;
    const FisherTailStop stop{rule.fisherThreshold, kNever, true};
    const int code = Rule::FisherTestTable(rule.table, rule.fisherThreshold, probability, &stop,
                                           LogFactorials(), LogFactorialCount());
    rule.fisher = code == 3 ? probability : 1.0;
}

bool MatchIndex::DropWeakConditions(Rule& rule, double threshold) const {
    if (rule.conditionCount == 1) return false;
    int32_t best = -1;
    const double value = rule.BestPrediction(best);
    const int32_t target = rule.targetPosition;
    const bool targetInside = target >= 0 && target < positions && best >= 0 && best < letters;
    const uint64_t* targetRow = targetInside ? row(target, best) : nullptr;
    // Counts of objects predicted right within a set, from its size and its objects with the
    // predicted letter at the target.
    const auto rightIn = [&](const std::vector<uint64_t>& set, int64_t size) -> int64_t {
        if (value == 0) return size;
        const int64_t withLetter =
            targetRow != nullptr ? countBoth(set.data(), targetRow, words) : 0;
        return value > 0 ? withLetter : size - withLetter;
    };
    int32_t candidate = -1;
    double bestProbability = 0.0;
    std::vector<uint64_t> others;
    std::vector<uint64_t> holdsToo;
    const FisherTailStop stop{kNever, kNever, true};
    for (int32_t j = 0; j < rule.conditionCount; ++j) {
        others = all_;
        for (int32_t i = 0; i < rule.conditionCount; ++i) {
            if (i != j) apply(rule.Condition(i), others.data());
        }
        holdsToo = others;
        apply(rule.Condition(j), holdsToo.data());
        const int64_t othersCount = Popcount(others);
        const int64_t holdsCount = Popcount(holdsToo);
        FisherTable t;
        t.t11 = rightIn(holdsToo, holdsCount);
        t.t12 = holdsCount - t.t11;
        t.t21 = rightIn(others, othersCount) - t.t11;
        t.t22 = othersCount - holdsCount - t.t21;
        double probability = 0.0;
        const int code = Rule::FisherTestTable(t, threshold, probability, &stop, LogFactorials(),
                                               LogFactorialCount());
        if (code == 0 || code == 1) probability = 0.0;
        if (code != 3 && probability >= bestProbability) {
            bestProbability = probability;
            candidate = j;
        }
    }
    if (candidate < 0) return false;
    rule.conditions.erase(rule.conditions.begin() + candidate);
    --rule.conditionCount;
    Evaluate(rule);
    DropWeakConditions(rule, threshold);
    return true;
}

}  // namespace motifora
