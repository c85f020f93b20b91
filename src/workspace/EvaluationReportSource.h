// Gathers what the evaluation report shows from a workspace: inputs with digests, settings,
// logos of the largest classes, rules, and the decision on the control data.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "evaluation/SequenceScores.h"
#include "io/EvaluationReport.h"

namespace motifora {

class TMainManager;

// The files the samples were read from; empty for a sample not loaded from a file.
struct SamplePaths {
    std::string learnPositive, learnNegative, controlNegative, controlPositive;
};

// The best scores of the classified control sequences, for the decision at a level.
struct ControlScores {
    std::vector<SequenceScore> negatives;  // control negative sample, record order
    std::vector<SequenceScore> positives;  // control positive sample
};

// Scores of both control samples (empty where a sample is not classified).
ControlScores controlScores(TMainManager& manager);
// The errors of the control data at `level`: positives not above it, negatives above it.
LevelErrors controlErrors(const ControlScores& scores, double level);

// Everything the report shows. `cv` may be null; `decision` is shown when set. The date is the
// current time in UTC.
EvaluationReportData evaluationReportData(TMainManager& manager, const SamplePaths& paths,
                                          const CrossValidationResult* cv,
                                          const std::optional<ControlDecision>& decision,
                                          const std::string& version);

// The `count` largest classes (most learning objects; the lower number first on ties) with the
// letter frequencies of their learning objects. Classes with fewer than kLogoMinimumMembers
// learning objects get none; `leftOut`, when given, receives how many such classes (with at
// least one learning object) there are.
std::vector<ClassLogo> largestClassLogos(const TMainManager& manager, int32_t count,
                                         int32_t* leftOut = nullptr);

}  // namespace motifora
