// The held-out evaluation's outputs of motifora-cli: one table row per scored sequence (TSV and
// JSON), the crossValidation section of the JSON summary and the lines of the printed summary.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "evaluation/CrossValidation.h"

namespace motifora {

// One scored sequence. The decision is "accept" (best score above the level), "reject", or
// empty when there is no level.
struct ScoreRow {
    std::string sample;  // "control negative", "control positive", "learning positive", ...
    std::string name;
    int32_t fold = 0;  // 1-based fold of a held-out learning sequence; 0 for control data
    SequenceScore score;
    std::string decision;
    // The discriminative score (--contrast): from the rules of all learning sequences for
    // control data, from those of the other folds for a held-out learning sequence.
    std::optional<double> contrast;
    // With tuned or fitted discriminative scores (probabilities): "accept" or "reject" at 0.5
    // with the balanced level rule, else at the level an inner cross-validation of the learning
    // sequences the scoring rules were found on chose (every learning sequence for control
    // data, the other folds for a held-out one).
    std::string contrastDecision;
};

// "accept" when `score` is above `level`, else "reject"; empty without a level.
std::string decisionAt(double score, const std::optional<double>& level);

// Tab-separated, a header line and one line per row: sample, name, class, best class, best
// score, normalised score, decision, fold, and the discriminative score when a row has one
// (and its decision when a row has one).
// Classes are 1-based, "New" for no class; a missing
// best class is empty and a missing score "NA".
std::string scoresTsv(const std::vector<ScoreRow>& rows);
nlohmann::ordered_json scoresJson(const std::vector<ScoreRow>& rows);

// Per fold and pooled: AUC and its DeLong interval, level, errors with Wilson intervals, ROC
// points.
nlohmann::ordered_json crossValidationJson(const CrossValidationResult& cv);

// The printed lines of a cross-validation.
std::string crossValidationText(const CrossValidationResult& cv);

}  // namespace motifora
