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

}  // namespace

double ContrastRule::weight() const { return -std::log(1.0 - std::fabs(r)); }

std::string ContrastRules::conditionsText(const ContrastRule& rule) const {
    std::string text;
    for (size_t i = 0; i < rule.conditions.size(); ++i) {
        const RuleCondition& c = rule.conditions[i];
        if (i > 0) text += " & ";
        text += std::to_string(c.position + 1) + "=" + (c.sign < 0 ? "-" : "") +
                letterText(letters, c.letter);
    }
    text += rule.predictsPositive() ? " => positive" : " => negative";
    return text;
}

std::string ContrastRules::plainText(const ContrastRule& rule, const std::string& positiveName,
                                     const std::string& negativeName) const {
    std::string text;
    for (size_t i = 0; i < rule.conditions.size(); ++i) {
        const RuleCondition& c = rule.conditions[i];
        if (i > 0) text += " and ";
        text += (c.sign < 0 ? "not " : "") + letterText(letters, c.letter) + " at " +
                std::to_string(c.position + 1);
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
        const double share = (r.predictsPositive() ? r.weight() : -r.weight()) /
                             static_cast<double>(r.conditions.size());
        for (const RuleCondition& c : r.conditions) {
            if (c.position < 0 || c.position >= rules.width || c.letter < 0 || c.letter >= letters)
                continue;
            map[static_cast<size_t>(c.position)][static_cast<size_t>(c.letter)] +=
                c.sign > 0 ? share : -share;
        }
    }
    return map;
}

void buildLabelledStorage(const SEQStorage& objects, int32_t positiveCount, SEQStorage& labelled) {
    labelled.codeTable = objects.codeTable;
    labelled.alphabetSize = objects.alphabetSize;
    const int32_t count = std::min(objects.learnObjectCount, objects.learnObjects.size());
    if (objects.alphabetSize < 2 || count <= 0 || objects.width <= 0) {
        labelled.width = 0;
        labelled.learnObjectCount = 0;
        labelled.learnObjects.clear();
        return;
    }
    const int32_t width = objects.width;
    labelled.width = width + 1;
    labelled.learnObjectCount = count;
    labelled.centerPosition = width;
    labelled.firstPosition = 0;
    labelled.endPosition = width + 1;
    labelled.learnObjects.make(count, width + 1, objects.alphabetSize);
    for (int32_t o = 0; o < count; ++o) {
        const SEQSElem& from = objects.learnObjects[o];
        SEQSElem& to = labelled.learnObjects[o];
        const int32_t covered = std::min(width, from.positionCount());
        for (int32_t p = 0; p < covered; ++p) to.setCode(from.codeAt(p), p);
        to.setCode(o < positiveCount ? kPositiveLabel : kNegativeLabel, width);
    }
}

bool contrastRuleHolds(const ContrastRule& rule, const SEQSElem& object, int32_t alphabetSize) {
    for (const RuleCondition& c : rule.conditions) {
        const int32_t code = (c.position >= 0 && c.position < object.positionCount())
                                 ? object.codeAt(c.position)
                                 : alphabetSize;
        const bool holds = (c.sign == 1 && code == c.letter) || (c.sign == -1 && code != c.letter);
        if (!holds) return false;
    }
    return true;
}

ContrastRules searchContrastRules(const SEQStorage& objects, int32_t positiveCount,
                                  const ContrastSettings& settings, RunControl* control) {
    ContrastRules out;
    out.letters = objects.codeTable;
    out.width = objects.width;
    const int32_t count = std::min(objects.learnObjectCount, objects.learnObjects.size());
    out.positives = std::clamp(positiveCount, 0, count);
    out.negatives = count - out.positives;
    SEQStorage labelled;
    buildLabelledStorage(objects, out.positives, labelled);
    if (labelled.learnObjectCount == 0 || out.positives == 0 || out.negatives == 0) {
        out.complete = true;
        return out;
    }
    RulesStorage found(std::max(settings.search.finishBufferSize, 0), labelled.width);
    RegGenerator generator;
    generator.SetThreadCount(settings.threads);
    generator.SetReferenceEvaluation(settings.referenceEvaluation);
    generator.Init(&labelled, &found, std::max(settings.search.subBufferSize, 0),
                   settings.search.confidence, settings.search.cpThreshold);
    generator.SetTarget(objects.width);
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
            if (!contrastRuleHolds(c, objects.learnObjects[o], objects.alphabetSize)) continue;
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
