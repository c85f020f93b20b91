// Rules: binding, conditions, the per-object evaluation, the Fisher test and the rule texts.
#include "rules/Rule.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "rules/RulesStorage.h"

namespace motifora {

namespace {

// ln 0! .. ln 10!, each the double nearest to the logarithm of the exact factorial.
constexpr double kLogFactorialTable[11] = {
    0x0.0p+0,
    0x0.0p+0,
    0x1.62e42fefa39efp-1,
    0x1.cab0bfa2a2002p+0,
    0x1.96ca77c922cf9p+1,
    0x1.326643c4479c9p+2,
    0x1.a51273acf01cap+2,
    0x1.10ce1f32dcc30p+3,
    0x1.5358e82fcb70dp+3,
    0x1.99a8921a7f7cfp+3,
    0x1.e357590954d15p+3,
};

}  // namespace

Rule::Rule() = default;

void Rule::Init(int32_t n, SEQStorage* boundStorage, double threshold,
                std::shared_ptr<const LetterFrequencyTable> frequency,
                std::shared_ptr<const CCodeTable> letters) {
    storage = boundStorage;
    if (storage != nullptr) {
        positionCount = storage->width;
        alphabetSize = storage->alphabetSize;
        targetPosition = storage->centerPosition;
    }
    codeCount = alphabetSize + 1;
    fisherThreshold = threshold;
    letterFrequency = std::move(frequency);
    if (letters != nullptr) {
        codeTable = std::move(letters);
    } else if (storage != nullptr) {
        codeTable = std::make_shared<const CCodeTable>(storage->codeTable);
    }
    letterProbability.assign(static_cast<size_t>(codeCount), 0.0);
    conditionCount = std::max(n, 0);
    conditions.assign(static_cast<size_t>(conditionCount), RuleCondition{});
    shiftedConditions.assign(static_cast<size_t>(conditionCount), RuleCondition{});
}

void Rule::widen(int32_t p) {
    lowestPosition = std::min(lowestPosition, p);
    highestPosition = std::max(highestPosition, p);
}

void Rule::CopyConditionsTo(Rule& child) const {
    const int32_t n = std::min(conditionCount, child.conditionCount);
    for (int32_t i = 0; i < n; ++i) {
        RuleCondition& slot = child.conditions[static_cast<size_t>(i)];
        const RuleCondition& from = conditions[static_cast<size_t>(i)];
        slot.position = from.position;
        slot.sign = from.sign;
        slot.letter = from.letter;
        slot.kept = true;
        child.widen(from.position);
    }
    const int32_t letters = std::min({alphabetSize, static_cast<int32_t>(letterProbability.size()),
                                      static_cast<int32_t>(child.letterProbability.size())});
    std::copy_n(letterProbability.begin(), std::max(letters, 0), child.letterProbability.begin());
}

void Rule::InsertCondition(int32_t position, int16_t sign, int32_t letter) {
    if (conditionCount <= 0) return;
    int32_t place = conditionCount - 1;
    for (int32_t i = 0; i + 1 < conditionCount; ++i) {
        if (conditions[static_cast<size_t>(i)].position > position) {
            place = i;
            break;
        }
    }
    for (int32_t i = conditionCount - 1; i > place; --i) {
        conditions[static_cast<size_t>(i)] = conditions[static_cast<size_t>(i - 1)];
    }
    conditions[static_cast<size_t>(place)] = RuleCondition{position, sign, letter, true};
    widen(position);
}

void Rule::AddCondition(int32_t position, int16_t sign, int32_t letter) {
    InsertCondition(position, sign, letter);
    Evaluate();
}

int32_t Rule::codeOf(const SEQSElem& object, int32_t p) const {
    if (p < 0 || p >= object.positionCount()) return alphabetSize;
    return object.codeAt(p);
}

bool Rule::Matches(const SEQSElem& object, bool onlyKept) const {
    for (int32_t i = 0; i < conditionCount; ++i) {
        const RuleCondition& c = conditions[static_cast<size_t>(i)];
        if (onlyKept && !c.kept) continue;
        const int32_t code = codeOf(object, c.position);
        if (!c.holds(code)) return false;
    }
    return true;
}

bool Rule::predictedRight(const SEQSElem& object, double value, int32_t letter) const {
    const int32_t code = codeOf(object, targetPosition);
    if (value > 0) return code == letter;
    if (value < 0) return code != letter;
    return true;
}

FisherTable Rule::countTable(int32_t j) const {
    FisherTable t;
    if (storage == nullptr) return t;
    int32_t letter = -1;
    const double value = BestPrediction(letter);
    const int32_t objects = std::min(storage->learnObjectCount, storage->learnObjects.size());
    for (int32_t o = 0; o < objects; ++o) {
        const SEQSElem& object = storage->learnObjects[o];
        bool inFirstRow = false;
        if (j < 0) {
            inFirstRow = Matches(object, false);
        } else {
            // Objects failing any other condition take no part in the table.
            if (!Matches(object, true)) continue;
            const RuleCondition& c = conditions[static_cast<size_t>(j)];
            const int32_t code = codeOf(object, c.position);
            inFirstRow = c.holds(code);
        }
        const bool right = predictedRight(object, value, letter);
        if (inFirstRow) {
            ++(right ? t.t11 : t.t12);
        } else {
            ++(right ? t.t21 : t.t22);
        }
    }
    return t;
}

void Rule::Evaluate() {
    if (storage == nullptr) return;
    std::vector<int64_t> letterCounts(static_cast<size_t>(std::max(alphabetSize, 0)), 0);
    const int32_t objects = std::min(storage->learnObjectCount, storage->learnObjects.size());
    for (int32_t o = 0; o < objects; ++o) {
        const SEQSElem& object = storage->learnObjects[o];
        if (!Matches(object, false)) continue;
        const int32_t code = codeOf(object, targetPosition);
        if (code >= 0 && code < alphabetSize) ++letterCounts[static_cast<size_t>(code)];
    }
    int64_t n = 0;
    for (int64_t c : letterCounts) n += c;
    if (n == 0) {
        std::fill(letterProbability.begin(), letterProbability.end(), 0.0);
        return;
    }
    fisher = 0.0;
    cp = 0.0;
    for (int32_t j = 0; j < alphabetSize; ++j) {
        const int64_t nj = letterCounts[static_cast<size_t>(j)];
        const double f = letterFrequency != nullptr ? letterFrequency->at(targetPosition, j) : 0.0;
        const double value = LetterProbability(nj, n, f);
        letterProbability[static_cast<size_t>(j)] = value;
        if (std::fabs(value) > cp) cp = std::fabs(value);
    }
    if (static_cast<int32_t>(letterProbability.size()) > alphabetSize) {
        letterProbability[static_cast<size_t>(alphabetSize)] = 0.0;
    }
    table = countTable(-1);
    double probability = 0.0;
    fisher = FisherTest(fisherThreshold, probability) == 3 ? probability : 1.0;
}

double Rule::BestPrediction(int32_t& letter) const {
    double best = 0.0;
    const int32_t letters = std::min(alphabetSize, static_cast<int32_t>(letterProbability.size()));
    for (int32_t j = 0; j < letters; ++j) {
        const double value = letterProbability[static_cast<size_t>(j)];
        if (std::fabs(value) > std::fabs(best) ||
            (std::fabs(value) == std::fabs(best) && value > best)) {
            best = value;
            letter = j;
        }
    }
    return best;
}

bool Rule::HasNoPrediction() const {
    const int32_t letters = std::min(alphabetSize, static_cast<int32_t>(letterProbability.size()));
    for (int32_t j = 0; j < letters; ++j) {
        if (letterProbability[static_cast<size_t>(j)] != 0.0) return false;
    }
    return true;
}

double Rule::LogFactorial(int64_t n) {
    if (n < 1) return 0.0;
    if (n <= 10) return kLogFactorialTable[n];
    const double x = static_cast<double>(n);
    return x * std::log(x) - x + 0.5 * std::log((2.0 * std::numbers::pi) * x) + 1.0 / (12.0 * x) -
           1.0 / (360.0 * x * x * x);
}

int Rule::FisherTest(double threshold, double& probability) const {
    return FisherTestTable(table, threshold, probability);
}

int Rule::FisherTestTable(const FisherTable& t, double threshold, double& probability,
                          const FisherTailStop* stop, const double* logFactorials,
                          size_t tableSize) {
    const auto lf = [&](int64_t k) {
        return (k >= 0 && static_cast<uint64_t>(k) < tableSize) ? logFactorials[k]
                                                                : LogFactorial(k);
    };
    const int64_t total = t.t11 + t.t12 + t.t21 + t.t22;
    if (total == 0) return 0;
    const int64_t r = t.t21 + t.t22;
    const int64_t k = t.t12 + t.t22;
    if (static_cast<double>(t.t22) <
        static_cast<double>(r) * static_cast<double>(k) / static_cast<double>(total)) {
        return 1;
    }
    const double base = lf(r) + lf(total - r) + lf(k) + lf(total - k) - lf(total);
    double p = std::exp(base - lf(t.t11) - lf(t.t12) - lf(t.t21) - lf(t.t22));
    const int64_t steps = std::min(r, k) - t.t22;
    double previous = p;
    for (int64_t i = 1; i <= steps; ++i) {
        const double term =
            std::exp(base - lf(t.t11 + i) - lf(t.t12 - i) - lf(t.t21 - i) - lf(t.t22 + i));
        p += term;
        if (term == 0.0) break;
        if (stop != nullptr) {
            // The sum only grows and is capped at 1, so past these marks nothing the caller
            // reads can change.
            if (p > stop->above || p >= stop->atLeast || p > 1.0) break;
            // The terms of a hypergeometric tail fall ever faster once they fall. A term below
            // p * 2^-60 that is less than half the one before leaves every later term below half
            // an ulp of p (2^-54 p) with a wide margin for rounding, so none can change p.
            if (stop->negligibleTail && term < 0.5 * previous && term < p * 0x1.0p-60) {
                break;
            }
        }
        previous = term;
    }
    if (p > 1.0) p = 1.0;
    probability = p;
    return p > threshold ? 2 : 3;
}

void Rule::removeCondition(int32_t j) {
    conditions.erase(conditions.begin() + j);
    --conditionCount;
}

bool Rule::DropWeakConditions(double threshold) {
    if (conditionCount == 1) return false;
    int32_t candidate = -1;
    double best = 0.0;
    for (int32_t j = 0; j < conditionCount; ++j) {
        conditions[static_cast<size_t>(j)].kept = false;
        const FisherTable t = countTable(j);
        conditions[static_cast<size_t>(j)].kept = true;
        double probability = 0.0;
        const int code = FisherTestTable(t, threshold, probability);
        if (code == 0 || code == 1) probability = 0.0;
        if (code != 3 && probability >= best) {
            best = probability;
            candidate = j;
        }
    }
    if (candidate < 0) return false;
    removeCondition(candidate);
    Evaluate();
    DropWeakConditions(threshold);
    return true;
}

char Rule::LetterText(int32_t code) const {
    const int32_t letter = codeTable != nullptr ? codeTable->letterOf(code) : -1;
    return letter < 0 ? '?' : static_cast<char>(letter);
}

void Rule::ToText(std::string& mainText, std::string& shiftedText, bool withProbabilities) const {
    mainText.clear();
    shiftedText.clear();
    for (int32_t i = 0; i < conditionCount; ++i) {
        const RuleCondition& c = conditions[static_cast<size_t>(i)];
        mainText += std::to_string(c.position + 1);
        mainText += '=';
        if (c.sign < 0) mainText += '-';
        mainText += LetterText(c.letter);
        mainText += (i + 1 == conditionCount) ? " => " : " & ";
    }
    const int32_t shifted = std::min(shiftedCount, static_cast<int32_t>(shiftedConditions.size()));
    for (int32_t i = 0; i < shifted; ++i) {
        const RuleCondition& c = shiftedConditions[static_cast<size_t>(i)];
        shiftedText += (i == 0) ? " (" : " & ";
        if (c.sign < 0) shiftedText += '-';
        shiftedText += LetterText(c.letter);
        shiftedText += '[';
        shiftedText += std::to_string(c.position - targetPosition);
        shiftedText += ']';
        if (i + 1 == shifted) shiftedText += ')';
    }
    if (withProbabilities) {
        mainText += "  [";
        mainText += std::to_string(targetPosition + 1);
        mainText += "] = ";
        const int32_t letters =
            std::min(alphabetSize, static_cast<int32_t>(letterProbability.size()));
        for (int32_t j = 0; j < letters; ++j) {
            mainText += '(';
            mainText += LetterText(j);
            mainText += ':';
            mainText += formatFixed6(letterProbability[static_cast<size_t>(j)]);
            mainText += ") ";
        }
    } else {
        if (conditionCount > 0) {
            mainText += conditions[0].sign < 0 ? '-' : '+';
            mainText += LetterText(conditions[0].letter);
        }
        mainText += '[';
        mainText += std::to_string(targetPosition + 1);
        mainText += ']';
    }
}

std::string formatFixed6(double value) {
    // to_chars is the locale-independent twin of "%f": same digits, always a decimal point.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (result.ec != std::errc()) return "nan";
    return std::string(buffer, result.ptr);
}

}  // namespace motifora
