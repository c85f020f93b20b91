// The discriminative search: the label column, the run of the generator on it, and the rules
// taken out of the generator's storage.
#include "rules/ContrastSearch.h"

#include <algorithm>
#include <cmath>

#include "rules/RegGenerator.h"
#include "rules/RulesStorage.h"

namespace motifora {

namespace {

constexpr int32_t kPositiveLabel = 0;
constexpr int32_t kNegativeLabel = 1;

std::string letterText(const CCodeTable& letters, int32_t code) {
    const int32_t c = letters.letterOf(code);
    if (c <= 0 || c > 255) return "?";
    return std::string(1, static_cast<char>(c));
}

// The letters of a word code, the first letter the most significant digit.
std::string wordText(const CCodeTable& letters, int32_t code, int32_t wordLength) {
    const int32_t alphabet = std::max(letters.size(), 1);
    std::string text(static_cast<size_t>(std::max(wordLength, 1)), '?');
    for (auto i = static_cast<int32_t>(text.size()) - 1; i >= 0; --i) {
        text[static_cast<size_t>(i)] = letterText(letters, code % alphabet)[0];
        code /= alphabet;
    }
    return text;
}

// Word beginnings in objects of `width` positions.
int32_t beginningsOf(int32_t width, const ContrastShape& shape) {
    return std::max(width - std::max(shape.wordLength, 1) + 1, 0);
}

// The first and last beginning a condition at `position` reads (first > last: none).
std::pair<int32_t, int32_t> rangeOf(int32_t position, int32_t beginnings,
                                    const ContrastShape& shape) {
    const int32_t t = std::max(shape.tolerance, 0);
    return {std::max(position - t, 0), std::min(position + t, beginnings - 1)};
}

std::string rangeText(int32_t position, int32_t beginnings, const ContrastShape& shape) {
    if (shape.tolerance <= 0) return std::to_string(position + 1);
    const auto [first, last] = rangeOf(position, beginnings, shape);
    return std::to_string(first + 1) + ".." + std::to_string(last + 1);
}

}  // namespace

bool contrastShapeFits(const ContrastShape& shape, int32_t alphabet) {
    if (shape.tolerance < 0 || shape.wordLength < 1 || shape.wordLength > kContrastMaxWordLength)
        return false;
    int64_t codes = 1;
    for (int32_t i = 0; i < shape.wordLength; ++i) codes *= std::max(alphabet, 1);
    return codes <= kContrastMaxWordCodes;
}

double ContrastRule::weight() const { return -std::log(1.0 - std::fabs(r)); }

std::string ContrastRules::conditionsText(const ContrastRule& rule) const {
    std::string text;
    const int32_t beginnings = beginningsOf(width, shape);
    for (size_t i = 0; i < rule.conditions.size(); ++i) {
        const RuleCondition& c = rule.conditions[i];
        if (i > 0) text += " & ";
        text += rangeText(c.position, beginnings, shape) + "=" + (c.sign < 0 ? "-" : "") +
                wordText(letters, c.letter, shape.wordLength);
    }
    text += rule.predictsPositive() ? " => positive" : " => negative";
    return text;
}

std::string ContrastRules::plainText(const ContrastRule& rule, const std::string& positiveName,
                                     const std::string& negativeName) const {
    std::string text;
    const int32_t beginnings = beginningsOf(width, shape);
    for (size_t i = 0; i < rule.conditions.size(); ++i) {
        const RuleCondition& c = rule.conditions[i];
        if (i > 0) text += " and ";
        const std::string what = wordText(letters, c.letter, shape.wordLength);
        if (shape.tolerance <= 0) {
            text += (c.sign < 0 ? "not " : "") + what + " at " + std::to_string(c.position + 1);
        } else {
            text += (c.sign < 0 ? "no " : "") + what +
                    (shape.wordLength > 1 ? " beginning within " : " within ") +
                    rangeText(c.position, beginnings, shape);
        }
    }
    text += " => " + (rule.predictsPositive() ? positiveName : negativeName) + ", " +
            std::to_string(rule.positivesHolding) + " of " + std::to_string(positives) +
            " positives, " + std::to_string(rule.negativesHolding) + " of " +
            std::to_string(negatives) + " negatives";
    return text;
}

std::vector<std::vector<double>> contrastHeatMap(const ContrastRules& rules) {
    const int32_t letters = rules.letters.size();
    std::vector<std::vector<double>> map(
        static_cast<size_t>(std::max(rules.width, 0)),
        std::vector<double>(static_cast<size_t>(std::max(letters, 0)), 0.0));
    for (const ContrastRule& r : rules.rules) {
        if (r.conditions.empty()) continue;
        const int32_t k = std::max(rules.shape.wordLength, 1);
        const double share =
            r.signedWeight() / static_cast<double>(r.conditions.size()) / static_cast<double>(k);
        for (const RuleCondition& c : r.conditions) {
            int32_t code = c.letter;
            for (int32_t i = k - 1; i >= 0; --i) {
                const int32_t letter = k > 1 ? code % std::max(letters, 1) : code;
                code = k > 1 ? code / std::max(letters, 1) : code;
                const int32_t p = c.position + i;
                if (p < 0 || p >= rules.width || letter < 0 || letter >= letters) continue;
                map[static_cast<size_t>(p)][static_cast<size_t>(letter)] +=
                    c.sign > 0 ? share : -share;
            }
        }
    }
    return map;
}

void buildLabelledStorage(const SEQStorage& objects, int32_t positiveCount, SEQStorage& labelled,
                          const ContrastShape& shape) {
    labelled.codeTable = objects.codeTable;
    const int32_t k = shape.wordLength;
    const bool fits = contrastShapeFits(shape, objects.alphabetSize);
    int32_t codes = 1;
    for (int32_t i = 0; fits && i < k; ++i) codes *= objects.alphabetSize;
    labelled.alphabetSize = codes;
    const int32_t count = std::min(objects.learnObjectCount, objects.learnObjects.size());
    const int32_t width = fits ? beginningsOf(objects.width, shape) : 0;
    if (objects.alphabetSize < 2 || count <= 0 || width <= 0) {
        labelled.alphabetSize = objects.alphabetSize;
        labelled.width = 0;
        labelled.learnObjectCount = 0;
        labelled.learnObjects.clear();
        return;
    }
    labelled.width = width + 1;
    labelled.learnObjectCount = count;
    labelled.centerPosition = width;
    labelled.firstPosition = 0;
    labelled.endPosition = width + 1;
    labelled.learnObjects.make(count, width + 1, codes);
    for (int32_t o = 0; o < count; ++o) {
        const SEQSElem& from = objects.learnObjects[o];
        SEQSElem& to = labelled.learnObjects[o];
        if (k == 1) {
            const int32_t covered = std::min(width, from.positionCount());
            for (int32_t p = 0; p < covered; ++p) to.setCode(from.codeAt(p), p);
        } else {
            for (int32_t p = 0; p < width; ++p) {
                const int32_t code = contrastWordCode(from, p, k, objects.alphabetSize);
                if (code >= 0) to.setCode(code, p);
            }
        }
        to.setCode(o < positiveCount ? kPositiveLabel : kNegativeLabel, width);
    }
}

std::pair<int32_t, int32_t> contrastConditionRange(int32_t position, int32_t width,
                                                   const ContrastShape& shape) {
    return rangeOf(position, beginningsOf(width, shape), shape);
}

int32_t contrastWordCode(const SEQSElem& object, int32_t position, int32_t wordLength,
                         int32_t alphabetSize) {
    if (position < 0 || wordLength < 1 || position + wordLength > object.positionCount()) return -1;
    int32_t code = 0;
    for (int32_t i = 0; i < wordLength; ++i) {
        const int32_t letter = object.codeAt(position + i);
        if (letter < 0 || letter >= alphabetSize) return -1;
        code = code * alphabetSize + letter;
    }
    return code;
}

bool contrastRuleHolds(const ContrastRule& rule, const SEQSElem& object, int32_t alphabetSize,
                       const ContrastShape& shape, int32_t width) {
    if (shape.plain()) return contrastRuleHolds(rule, object, alphabetSize);
    const int32_t beginnings = beginningsOf(width, shape);
    for (const RuleCondition& c : rule.conditions) {
        const auto [first, last] = rangeOf(c.position, beginnings, shape);
        bool found = false;
        for (int32_t p = first; p <= last && !found; ++p)
            found = contrastWordCode(object, p, shape.wordLength, alphabetSize) == c.letter;
        const bool holds = (c.sign == 1 && found) || (c.sign == -1 && !found);
        if (!holds) return false;
    }
    return true;
}

bool contrastRuleHolds(const ContrastRules& rules, const ContrastRule& rule,
                       const SEQSElem& object) {
    return contrastRuleHolds(rule, object, rules.letters.size(), rules.shape, rules.width);
}

bool contrastRuleHolds(const ContrastRule& rule, const SEQSElem& object, int32_t alphabetSize) {
    for (const RuleCondition& c : rule.conditions) {
        const int32_t code = (c.position >= 0 && c.position < object.positionCount())
                                 ? object.codeAt(c.position)
                                 : alphabetSize;
        if (!c.holds(code)) return false;
    }
    return true;
}

ContrastRules searchContrastRules(const SEQStorage& objects, int32_t positiveCount,
                                  const ContrastSettings& settings, RunControl* control) {
    ContrastRules out;
    out.letters = objects.codeTable;
    out.width = objects.width;
    out.shape = settings.shape;
    const int32_t count = std::min(objects.learnObjectCount, objects.learnObjects.size());
    out.positives = std::clamp(positiveCount, 0, count);
    out.negatives = count - out.positives;
    SEQStorage labelled;
    buildLabelledStorage(objects, out.positives, labelled, settings.shape);
    if (labelled.learnObjectCount == 0 || out.positives == 0 || out.negatives == 0) {
        out.complete = true;
        return out;
    }
    RulesStorage found(std::max(settings.search.finishBufferSize, 0), labelled.width);
    RegGenerator generator;
    generator.SetThreadCount(settings.threads);
    generator.SetReferenceEvaluation(settings.referenceEvaluation && settings.shape.tolerance == 0);
    // The label column is not a condition's place: the tolerance spans the beginnings only.
    generator.SetConditionTolerance(settings.shape.tolerance, labelled.width - 1);
    generator.Init(&labelled, &found, std::max(settings.search.subBufferSize, 0),
                   settings.search.confidence, settings.search.cpThreshold);
    generator.SetTarget(labelled.width - 1);
    bool stopped = false;
    for (;;) {
        if (control != nullptr && !control->gate()) {
            stopped = true;
            break;
        }
        if (!generator.Step()) break;
    }
    out.evaluations = generator.evaluationCount;
    out.complete = !stopped;
    for (int32_t i = 0; i < found.Count(); ++i) {
        const Rule& rule = *found.Get(i);
        ContrastRule c;
        c.conditions.assign(rule.conditions.begin(),
                            rule.conditions.begin() + std::max(rule.conditionCount, 0));
        c.fisher = rule.fisher;
        c.cp = rule.cp;
        int32_t letter = kPositiveLabel;
        const double best = rule.BestPrediction(letter);
        const bool positive = (letter == kPositiveLabel) == (best > 0.0);
        c.r = positive ? rule.cp : -rule.cp;
        for (int32_t o = 0; o < count; ++o) {
            if (!contrastRuleHolds(c, objects.learnObjects[o], objects.alphabetSize, out.shape,
                                   out.width))
                continue;
            ++(o < out.positives ? c.positivesHolding : c.negativesHolding);
        }
        const int32_t right = positive ? c.positivesHolding : c.negativesHolding;
        const int32_t wrong = positive ? c.negativesHolding : c.positivesHolding;
        c.table.t11 = right;
        c.table.t12 = wrong;
        c.table.t21 = (positive ? out.positives : out.negatives) - right;
        c.table.t22 = (positive ? out.negatives : out.positives) - wrong;
        out.rules.push_back(std::move(c));
    }
    return out;
}

ContrastRules searchContrastRules(const std::vector<Sequence>& positives,
                                  const std::vector<Sequence>& negatives,
                                  const ContrastSettings& settings, RunControl* control) {
    SEQStorage objects;
    objects.buildWholeWithNegatives(positives.data(), negatives.data(),
                                    static_cast<int32_t>(positives.size()),
                                    static_cast<int32_t>(negatives.size()));
    return searchContrastRules(objects, static_cast<int32_t>(positives.size()), settings, control);
}

}  // namespace motifora
