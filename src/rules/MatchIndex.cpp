// The bitset evaluation of rules: counts by popcount, the Fisher tail with safe early stops.
#include "rules/MatchIndex.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace motifora {

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

}  // namespace

void MatchIndex::Build(const SEQStorage& storage) {
    objects = std::max(0, std::min(storage.learnObjectCount, storage.learnObjects.size()));
    words = (objects + 63) / 64;
    positions = std::max(storage.width, 0);
    letters = std::max(storage.alphabetSize, 0);
    bits_.assign(static_cast<size_t>(positions) * static_cast<size_t>(letters) *
                     static_cast<size_t>(words),
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
            const size_t r = static_cast<size_t>(p) * static_cast<size_t>(letters) +
                             static_cast<size_t>(code);
            bits_[r * static_cast<size_t>(words) + word] |= bit;
            ++letterTotals_[r];
        }
    }
    logFactorials_.resize(static_cast<size_t>(objects) + 1);
    for (size_t k = 0; k < logFactorials_.size(); ++k) {
        logFactorials_[k] = Rule::LogFactorial(static_cast<int64_t>(k));
    }
}

void MatchIndex::apply(const RuleCondition& c, uint64_t* set) const {
    if (c.sign != 1 && c.sign != -1) {
        std::fill(set, set + words, uint64_t{0});
        return;
    }
    const bool inside = c.position >= 0 && c.position < positions && c.letter >= 0 &&
                        c.letter < letters;
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
    int32_t total = 0;
    for (uint64_t w : set) total += std::popcount(w);
    return total;
}

double MatchIndex::probabilitiesFrom(const int64_t* counts, int64_t n, int32_t letterTotal,
                                     const LetterFrequencyTable* freq, int32_t target,
                                     double* out) {
    double cp = 0.0;
    for (int32_t j = 0; j < letterTotal; ++j) {
        const int64_t nj = counts[j];
        const double f = freq != nullptr ? freq->at(target, j) : 0.0;
        const double plus =
            nj > 0 ? static_cast<double>(nj + 1) / static_cast<double>(n + 2) : 0.0;
        const double minus = static_cast<double>(n - nj + 1) / static_cast<double>(n + 2);
        double value = 0.0;
        if (plus > f) {
            value = plus;
        } else if (minus > 1.0 - f) {
            value = -minus;
        }
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

ChildEvaluation MatchIndex::EvaluateChild(const Rule& parent,
                                          const std::vector<uint64_t>& parentMatch,
                                          int32_t parentMatchCount, int32_t position, int16_t sign,
                                          int32_t letter, int32_t target,
                                          const LetterFrequencyTable& freq, double threshold,
                                          double* probabilities) const {
    ChildEvaluation result;
    // Counts of the child's match set: its size and, per letter, the objects with that letter at
    // the target. Up to 64 letters are counted in one pass; more are rare and counted apart.
    int64_t counts[64];
    const int32_t inPass = std::min(letters, 64);
    std::fill(counts, counts + inPass, int64_t{0});
    int64_t matchCount = 0;
    const bool inside = position >= 0 && position < positions && letter >= 0 && letter < letters;
    const uint64_t* cond = inside ? row(position, letter) : nullptr;
    const uint64_t* targetRows = row(target, 0);
    std::vector<int64_t> extraCounts;
    for (int32_t w = 0; w < words; ++w) {
        uint64_t m = parentMatch[static_cast<size_t>(w)];
        if (sign == 1) {
            m &= cond != nullptr ? cond[w] : 0;
        } else if (sign == -1) {
            m &= cond != nullptr ? ~cond[w] : ~uint64_t{0};
        } else {
            m = 0;
        }
        if (m == 0) continue;
        matchCount += std::popcount(m);
        for (int32_t j = 0; j < inPass; ++j) {
            counts[j] += std::popcount(m & targetRows[static_cast<size_t>(j) * words + w]);
        }
        if (letters > 64) {
            extraCounts.resize(static_cast<size_t>(letters - 64), 0);
            for (int32_t j = 64; j < letters; ++j) {
                extraCounts[static_cast<size_t>(j - 64)] +=
                    std::popcount(m & targetRows[static_cast<size_t>(j) * words + w]);
            }
        }
    }
    // The same match set as the parent's gives the parent's own evaluation, so the child's
    // fisher cannot be below it (the root was never evaluated, so it is exempt).
    if (parent.conditionCount > 0 && matchCount == parentMatchCount) return result;
    std::vector<int64_t> allCounts;
    const int64_t* countData = counts;
    if (letters > 64) {
        allCounts.assign(counts, counts + 64);
        allCounts.insert(allCounts.end(), extraCounts.begin(), extraCounts.end());
        allCounts.resize(static_cast<size_t>(letters), 0);
        countData = allCounts.data();
    }
    int64_t n = 0;
    for (int32_t j = 0; j < letters; ++j) n += countData[j];
    // No object with a letter at the target: the child keeps fisher 1.0 and cp 0.0.
    if (n == 0) return result;
    const double cp = probabilitiesFrom(countData, n, letters, &freq, target, probabilities);
    if (!(cp > parent.cp)) return result;  // also covers a child without any prediction
    int32_t best = -1;
    const double value = bestOf(probabilities, letters, best);
    const int64_t targetLetterCount = best >= 0 ? countData[best] : 0;
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

void MatchIndex::Evaluate(Rule& rule) const {
    std::vector<uint64_t> match;
    MatchSet(rule, match);
    const int32_t target = rule.targetPosition;
    std::vector<int64_t> counts(static_cast<size_t>(letters), 0);
    if (target >= 0 && target < positions) {
        for (int32_t j = 0; j < letters; ++j) {
            const uint64_t* r = row(target, j);
            int64_t c = 0;
            for (int32_t w = 0; w < words; ++w) c += std::popcount(match[static_cast<size_t>(w)] & r[w]);
            counts[static_cast<size_t>(j)] = c;
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
        int64_t withLetter = 0;
        if (targetRow != nullptr) {
            for (int32_t w = 0; w < words; ++w) {
                withLetter += std::popcount(set[static_cast<size_t>(w)] & targetRow[w]);
            }
        }
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
