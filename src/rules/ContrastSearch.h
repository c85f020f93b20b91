// Rules that tell the learning positives from the learning negatives: the regularity search with
// the sample of an object (positive or negative) as the predicted "letter".
//
// The objects of the search are the positives followed by the negatives, each with one more
// position after its last: the label column, code 0 for a positive and 1 for a negative. The
// generator then runs on that column as its only target. Conditions are never placed on the
// target, so a rule's conditions stay on the letters; its conditional probability, its Fisher
// test on the table (conditions hold / not) x (positive / negative), the thresholds, the two
// sub-buffers, the finish buffer, the dropping of weak conditions and the bitset evaluation
// are those of every other search, bit for bit.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/CCodeTable.h"
#include "core/RunControl.h"
#include "core/SEQStorage.h"
#include "core/Sequence.h"
#include "rules/Rule.h"
#include "rules/SearchSettings.h"

namespace motifora {

// The form of a discriminative rule's conditions. Word length 1 and tolerance 0 give the
// conditions of every other search, "letter L at position p". With word length k > 1 a
// condition's letter is a word of k letters beginning at p (a word with an uncovered or unknown
// letter is no word); with tolerance t > 0 the letter or word may begin anywhere from p - t to
// p + t (clipped to the sequences), and a negated condition says it begins nowhere there.
struct ContrastShape {
    int32_t wordLength = 1;
    int32_t tolerance = 0;

    bool plain() const { return wordLength == 1 && tolerance == 0; }
    bool operator==(const ContrastShape&) const = default;
};

// The largest word length a search takes, and the most distinct words (alphabet^length) it codes.
constexpr int32_t kContrastMaxWordLength = 3;
constexpr int32_t kContrastMaxWordCodes = 64;
// Whether words of `shape.wordLength` letters of an alphabet of `alphabet` letters can be coded,
// and the tolerance is not negative.
bool contrastShapeFits(const ContrastShape& shape, int32_t alphabet);

struct ContrastSettings {
    // The Fisher criterion, the CP threshold and the two buffer sizes of the search page (the
    // search is always in fixed positions: the alignment fields are not read).
    SearchSettings search = SearchSettings::windowDefaults();
    int32_t threads = 1;  // children of one rule evaluated at once (0 = one per core)
    // The per-object evaluation instead of the bitsets (read only with tolerance 0: the
    // tolerance lives in the bitsets).
    bool referenceEvaluation = false;
    ContrastShape shape = {};
};

// One discriminative rule, free of any storage.
struct ContrastRule {
    std::vector<RuleCondition> conditions;  // ascending position (0-based)
    double fisher = 1.0;
    double cp = 0.0;
    // The signed probability of "positive": above 0 the rule predicts a positive with
    // probability r, below 0 it predicts a negative with probability |r|. |r| = cp.
    double r = 0.0;
    int32_t positivesHolding = 0;  // learning positives whose letters satisfy the conditions
    int32_t negativesHolding = 0;
    FisherTable table;  // t11 holding and predicted right, t12 holding and wrong, ...

    bool predictsPositive() const { return r > 0.0; }
    // -ln(1 - |r|), the weight every score of the program gives a rule.
    double weight() const;
    // The weight with the sign of the prediction, what the rule adds to a sum of weights.
    double signedWeight() const { return predictsPositive() ? weight() : -weight(); }
};

struct ContrastRules {
    std::vector<ContrastRule> rules;  // ascending Fisher value, as the finish buffer holds them
    int32_t positives = 0;            // learning objects the rules were found on
    int32_t negatives = 0;
    int32_t width = 0;
    CCodeTable letters;        // the code table the conditions' letters refer to
    ContrastShape shape = {};  // a condition's letter is a word code when shape.wordLength > 1
    int64_t evaluations = 0;
    bool complete = false;  // false when stopped

    // "3=T & 5=-G => positive" (the conditions as the rules grid writes them); with a tolerance
    // the range of beginnings, "20..28=TATA & 3..7=-G => positive".
    std::string conditionsText(const ContrastRule& rule) const;
    // "T at 12 and not G at 10 => positive, 31 of 42 positives, 3 of 42 negatives"; with words
    // and a tolerance "TATA beginning within 20..28 and no G within 3..7 => positive, ...".
    std::string plainText(const ContrastRule& rule, const std::string& positiveName = "positive",
                          const std::string& negativeName = "negative") const;
};

// How much each (position, letter) cell contributes to the discriminative score: every rule's
// signed weight (+ for a positive, - for a negative prediction) is shared equally among its
// conditions; a condition "L at p" adds its share to cell (p, L), a condition "not L at p"
// subtracts it. A word's share is split equally among its letters at p, p + 1, ... (its
// tolerance is not spread). [position][letter], width x alphabet.
std::vector<std::vector<double>> contrastHeatMap(const ContrastRules& rules);

// The storage the search runs on: positives then negatives coded as `objects` is (its learning
// objects, the first `positiveCount` of them positive) with the label column appended. Its
// alphabet is that of `objects`; an alphabet of fewer than two letters cannot code the label
// and gives an empty storage. With words (shape.wordLength = k > 1) the storage holds the word
// codes instead: width - k + 1 word beginnings, alphabet^k codes (the first letter the most
// significant digit), a word with an uncovered letter uncovered; a shape that does not fit
// (contrastShapeFits) gives an empty storage.
void buildLabelledStorage(const SEQStorage& objects, int32_t positiveCount, SEQStorage& labelled,
                          const ContrastShape& shape = {});

// The code of the word of `wordLength` letters beginning at `position` of `object`, or -1 when a
// letter of it is uncovered, unknown or past the object's end.
int32_t contrastWordCode(const SEQSElem& object, int32_t position, int32_t wordLength,
                         int32_t alphabetSize);

// The first and last word beginning that a condition at `position` reads in an object of `width`
// letters (first > last: none).
std::pair<int32_t, int32_t> contrastConditionRange(int32_t position, int32_t width,
                                                   const ContrastShape& shape);

// Searches discriminative rules over the learning objects of `objects` (positives first, then
// negatives; `positiveCount` of them positive). `control` may be null (runs to the end).
ContrastRules searchContrastRules(const SEQStorage& objects, int32_t positiveCount,
                                  const ContrastSettings& settings, RunControl* control);
// The same from sequence records (coded with the positives' letters, as the search page does).
ContrastRules searchContrastRules(const std::vector<Sequence>& positives,
                                  const std::vector<Sequence>& negatives,
                                  const ContrastSettings& settings, RunControl* control);

// True when the codes of `object` satisfy every condition of `rule` (a position past the
// object's end is uncovered: it fails a positive condition and satisfies a negative one).
bool contrastRuleHolds(const ContrastRule& rule, const SEQSElem& object, int32_t alphabetSize);
// The same for conditions of any shape: a positive condition holds when its letter or word
// begins somewhere in its range, a negative one when it begins nowhere there.
bool contrastRuleHolds(const ContrastRule& rule, const SEQSElem& object, int32_t alphabetSize,
                       const ContrastShape& shape, int32_t width);
// The same for a rule of `rules` (their shape, width and alphabet).
bool contrastRuleHolds(const ContrastRules& rules, const ContrastRule& rule,
                       const SEQSElem& object);

}  // namespace motifora
