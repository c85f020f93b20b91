// The bounded, Fisher-ordered rule list: duplicate test, insertion with push-out, texts.
#include "rules/RulesStorage.h"

#include <algorithm>
#include <cmath>

namespace motifora {

RulesStorage::RulesStorage(int32_t capacityValue, int32_t positions)
    : positionCount(positions), capacity(std::max(capacityValue, 0)) {
    // Slots are made as rules arrive: a list sized for millions of rules costs nothing until
    // it holds them.
}

std::string RulesStorage::KeyText(const Rule& rule) const {
    std::string mainText;
    std::string shiftedText;
    rule.ToText(mainText, shiftedText, keyWithProbabilities);
    return mainText;
}

bool RulesStorage::Contains(const Rule& rule) {
    comparisonKey = rule.fisher;
    const double key = comparisonKey;
    if (count <= 0) {
        insertIndex = 0;
        return false;
    }
    if (key < rules[0]->fisher) {
        insertIndex = 0;
        return false;
    }
    if (key > rules[static_cast<size_t>(count - 1)]->fisher) {
        insertIndex = count;
        return false;
    }
    int32_t i = 0;
    while (i < count && rules[static_cast<size_t>(i)]->fisher < key) ++i;
    std::string keyText;
    bool keyTextMade = false;
    for (; i < count && rules[static_cast<size_t>(i)]->fisher == key; ++i) {
        if (!keyTextMade) {
            keyText = KeyText(rule);
            keyTextMade = true;
        }
        if (KeyText(*rules[static_cast<size_t>(i)]) == keyText) return true;
    }
    if (i >= count) {
        insertIndex = count;
        return false;
    }
    int32_t last = count - 1;
    while (last >= 0 && !(rules[static_cast<size_t>(last)]->fisher <= key)) --last;
    insertIndex = last + 1;
    return false;
}

bool RulesStorage::Add(std::unique_ptr<Rule>& rule, bool testDuplicates) {
    if (rule == nullptr) return false;
    if (testDuplicates && Contains(*rule)) return false;
    if (insertIndex >= capacity) return false;
    const bool full = count >= capacity;
    if (full) {
        rules[static_cast<size_t>(count - 1)].reset();
        --count;
    }
    if (rules.size() < static_cast<size_t>(count) + 1) rules.resize(static_cast<size_t>(count) + 1);
    // A stale index from another list must not reach past the rules held.
    const int32_t place = std::clamp(insertIndex, 0, count);
    for (int32_t i = count; i > place; --i) {
        rules[static_cast<size_t>(i)] = std::move(rules[static_cast<size_t>(i - 1)]);
    }
    const Rule& added = *rule;
    if (addedCount == 0) {
        lowestPosition = added.lowestPosition;
        highestPosition = added.highestPosition;
    } else {
        lowestPosition = std::min(lowestPosition, added.lowestPosition);
        highestPosition = std::max(highestPosition, added.highestPosition);
    }
    rules[static_cast<size_t>(place)] = std::move(rule);
    ++addedCount;
    ++count;
    return true;
}

std::unique_ptr<Rule> RulesStorage::RemoveAt(int32_t index) {
    if (index < 0 || index >= count) return nullptr;
    std::unique_ptr<Rule> taken = std::move(rules[static_cast<size_t>(index)]);
    for (int32_t i = index; i + 1 < count; ++i) {
        rules[static_cast<size_t>(i)] = std::move(rules[static_cast<size_t>(i + 1)]);
    }
    rules[static_cast<size_t>(count - 1)].reset();
    --count;
    return taken;
}

void RulesStorage::GetTexts(int32_t index, std::string& fisherText, std::string& cpText,
                            std::string& ruleText) const {
    fisherText.clear();
    cpText.clear();
    ruleText.clear();
    if (index < 0 || index >= count) return;
    const Rule& rule = *rules[static_cast<size_t>(index)];
    fisherText = formatFixed6(rule.fisher);
    cpText = formatFixed6(rule.cp);
    std::string shiftedText;
    rule.ToText(ruleText, shiftedText, true);
    ruleText += shiftedText;
}

ListedRule listedRule(const RulesStorage& store, int32_t index) {
    const Rule& rule = *store.Get(index);
    ListedRule listed;
    listed.number = index + 1;
    listed.rule = &rule;
    store.GetTexts(index, listed.fisherText, listed.cpText, listed.ruleText);
    listed.target = rule.TargetPosition() + 1;
    for (int32_t c = 0; c < rule.ConditionCount(); ++c) {
        const RuleCondition& condition = rule.Condition(c);
        listed.conditions.push_back(
            {condition.position + 1, rule.LetterText(condition.letter), condition.sign < 0});
    }
    int32_t letter = -1;
    const double best = rule.BestPrediction(letter);
    if (letter >= 0 && best != 0.0)
        listed.prediction =
            ListedRule::Prediction{rule.LetterText(letter), std::fabs(best), best < 0};
    return listed;
}

}  // namespace motifora
