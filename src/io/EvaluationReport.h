// The evaluation report: one self-contained HTML file (inline SVG, no script, no network) with
// the cross-validated ROC and precision-recall curves, the score histograms with the level,
// sequence logos of the largest classes, the fold table, the decision on the control data and
// the rules, headed by the date, version, settings and the input files with their digests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/Status.h"
#include "evaluation/ContrastScore.h"
#include "evaluation/CrossValidation.h"

namespace motifora {

struct ReportInputFile {
    std::string role;  // "learning positive", ...
    std::string path;
    int32_t records = 0;
    std::string sha256;  // empty when the file could not be read again
};

// Classes with fewer learning objects than this get no sequence logo: a few sequences say
// nothing about a site.
constexpr int32_t kLogoMinimumMembers = 5;

// Letter frequencies of the member objects of one class, per position.
struct ClassLogo {
    int32_t classNumber = 0;  // 1-based, as the grids show it
    int32_t members = 0;
    std::string letters;                    // the alphabet, letter of code 0 first
    std::vector<std::vector<double>> freq;  // [position][letter], each row summing to 1 or 0
};

struct ReportRule {
    double fisher = 1.0;
    double cp = 0.0;
    std::string text;
};

// The decision on the control data at one level.
struct ControlDecision {
    double level = 0.0;
    std::string levelSource;  // where the level came from
    LevelErrors errors;       // positives not above, negatives above
};

// The discriminative regularities and the cross-validation of their score.
struct ContrastReport {
    const CrossValidationResult* validation = nullptr;  // null: not cross-validated
    int32_t ruleCount = 0;
    int32_t positiveRules = 0;              // rules predicting a positive
    std::vector<ReportRule> rules;          // the first ones, ascending Fisher; text in plain words
    std::string letters;                    // the alphabet, letter of code 0 first
    std::vector<std::vector<double>> heat;  // [position][letter] (contrastHeatMap)
    // A tuned cross-validation: what each fold chose on its own training sequences, in words
    // (empty: the settings were given), and, when its scores are calibrated probabilities, the
    // errors at probability 0.5.
    std::string tuning;
    bool calibrated = false;
    LevelErrors atHalf;
    // False when the rules of every learning sequence were not searched (only their
    // cross-validation was run): the rules, their count and the heat map are left out.
    bool rulesShown = true;
};

// The discriminative section of a report: the first `listed` of `rules` (found on every learning
// sequence; null: not searched), and `validation` (may be null) with what its folds chose.
ContrastReport contrastReportOf(const ContrastRules* rules, size_t listed,
                                const CrossValidationResult* validation,
                                const std::vector<ContrastChoice>& choices, bool tuned,
                                bool fitted);

struct EvaluationReportData {
    std::string date;  // when the report was made
    std::string version;
    std::vector<std::pair<std::string, std::string>> settings;
    std::vector<ReportInputFile> inputs;
    const CrossValidationResult* crossValidation = nullptr;  // null: not run
    bool hasControlDecision = false;
    ControlDecision control;
    std::vector<ClassLogo> logos;
    // Classes left without a logo for having fewer than kLogoMinimumMembers learning objects.
    int32_t classesWithoutLogo = 0;
    int32_t ruleCount = 0;  // all rules of the store; `rules` may hold the first ones only
    std::vector<ReportRule> rules;
    const ContrastReport* contrast = nullptr;  // null: no discriminative search
};

// The information content of one logo column in bits: log2(letters) minus the entropy; 0 for a
// column without letters.
double informationBits(const std::vector<double>& frequencies);

// The whole report as HTML text.
std::string EvaluationReportHtml(const EvaluationReportData& data);
// Writes the report to `fileName` (atomically). Returns the writer's status.
Status WriteEvaluationReport(const std::string& fileName, const EvaluationReportData& data);

}  // namespace motifora
