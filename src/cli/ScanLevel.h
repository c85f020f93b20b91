// The level of `motifora-cli scan --level-from-cv`: a cross-validation of the project's own
// learning samples, run as `motifora-cli --open PROJECT --cross-validate K,SEED` runs it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "evaluation/Pipeline.h"
#include "evaluation/RocAnalysis.h"

namespace motifora {

struct CvLevelRequest {
    int32_t folds = 5;
    uint64_t seed = 1;
    bool balanced = false;
    std::optional<double> wantedFirstError;  // default: the cross-validation's own (0.05)
    ScoreKind score = ScoreKind::kClass;     // the score cross-validated
};

struct CvLevel {
    double level = 0.0;
    AucEstimate auc;
    int32_t positives = 0;  // learning sequences cross-validated
    int32_t negatives = 0;
};

// Cross-validates the learning positives and negatives of the project `path` with the settings
// the project holds and returns the level the request's rule chooses from the held-out scores.
// Progress goes to `progress` (when not null) as each fold ends; Ctrl-C stops it.
// Returns false with `error` saying why no level can be had (the project cannot be read, it is
// in shift positions, it holds no learning negatives or too few sequences for the folds), or
// with `interrupted` set when Ctrl-C stopped it.
bool crossValidatedLevel(const std::string& path, const CvLevelRequest& request,
                         std::ostream* progress, CvLevel& result, std::string& error,
                         bool& interrupted);

}  // namespace motifora
