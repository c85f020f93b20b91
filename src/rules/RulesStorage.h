// A bounded list of rules in ascending order of their Fisher value, with a duplicate test.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "rules/Rule.h"

namespace motifora {

class RulesStorage {
  public:
    // An empty list for at most `capacity` rules over `positions` positions.
    RulesStorage(int32_t capacity, int32_t positions);
    // Sets nothing beyond empty defaults; the project reader fills such a list field by field
    // (resize `rules` to `capacity` and place the rules in slots 0 .. count-1).
    RulesStorage() = default;
    virtual ~RulesStorage() = default;
    RulesStorage(const RulesStorage&) = delete;
    RulesStorage& operator=(const RulesStorage&) = delete;

    // Duplicate test by Fisher value and key text; leaves `insertIndex` set for a following Add
    // (unchanged when a duplicate is found). Returns true for a duplicate.
    bool Contains(const Rule& rule);
    // Takes ownership of the rule at its place in Fisher order, pushing out the worst rule of a
    // full list. Returns false (and leaves `rule` with the caller) for a duplicate (when tested)
    // or a rule worse than every rule of a full list. Without the duplicate test it places the
    // rule by the `insertIndex` of the caller's preceding Contains on this list.
    bool Add(std::unique_ptr<Rule>& rule, bool testDuplicates);
    // Detaches the rule at `index` and hands it to the caller; null for an index outside
    // 0 .. count-1 (nothing changes then).
    std::unique_ptr<Rule> RemoveAt(int32_t index);
    // The rule at `index` (0 .. count-1).
    Rule* Get(int32_t index) const { return rules[static_cast<size_t>(index)].get(); }
    int32_t Count() const { return count; }
    int32_t InsertIndex() const { return insertIndex; }
    // The Fisher text ("%f"), CP text ("%f") and rule text (display form followed by the shifted
    // text) of the rule at `index`. An index outside the list gives three empty texts.
    void GetTexts(int32_t index, std::string& fisherText, std::string& cpText,
                  std::string& ruleText) const;
    // Key text of a rule as Contains compares it (display form when keyWithProbabilities).
    std::string KeyText(const Rule& rule) const;

    int32_t lowestPosition = 0;
    int32_t highestPosition = 0;
    int32_t addedCount = 0;
    int32_t count = 0;
    int32_t positionCount = 0;
    int32_t capacity = 0;
    std::vector<std::unique_ptr<Rule>>
        rules;                   // grows up to `capacity`; 0 .. count-1 in fisher order
    double comparisonKey = 0.0;  // the Fisher value last tested by Contains
    int32_t insertIndex = 0;
    bool keyWithProbabilities = false;
    int32_t reservedA = 0;
    int32_t reservedB = 0;
};

// Formats a value with "%f" and a decimal point whatever the locale.
std::string formatFixed6(double value);

// A rule of a list as the summaries show it: positions 1-based, letters as written.
struct ListedRule {
    struct Condition {
        int32_t position = 0;
        char letter = 0;
        bool negated = false;
    };
    // The letter of the strongest prediction, its probability, and whether the rule excludes
    // the letter (a negative prediction) rather than predicts it.
    struct Prediction {
        char letter = 0;
        double probability = 0.0;
        bool excluded = false;
    };
    int32_t number = 0;  // 1-based place in the list
    const Rule* rule = nullptr;
    std::string fisherText, cpText, ruleText;  // as RulesStorage::GetTexts writes them
    int32_t target = 0;
    std::vector<Condition> conditions;
    std::optional<Prediction> prediction;  // none when every letter's probability is 0
};

// The rule at `index` (within the list) of `store`.
ListedRule listedRule(const RulesStorage& store, int32_t index);

}  // namespace motifora
