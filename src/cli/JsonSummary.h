// The machine-readable summary of a batch run (--json): settings, rules, ideal objects, classes
// of every object, recognition scores, error counts and bootstrap results.
#pragma once

#include <array>
#include <nlohmann/json.hpp>

#include "cli/BatchOptions.h"

namespace motifora {

class TMainForm;

// Most of the summary is read from the workspace and the window when the run is over. The
// per-class scores of the all-class recognition and the error counts live only in the window's
// lists, which later stages reshape or refill (the error counting reshapes the control negative
// list, the bootstrap's end refills every list), so they are taken right after their stages.
class JsonSummary {
  public:
    // Reads the score cells of the all-class recognition from the control negative list.
    void captureRecognition(TMainForm& form);
    // Reads the levels, error counts and object scores of the error counting.
    void captureErrors(TMainForm& form);
    // The whole summary. `ran` tells which stages ran in this run.
    nlohmann::ordered_json build(TMainForm& form, const BatchOptions& options,
                                 const std::array<bool, kStageCount>& ran) const;

  private:
    nlohmann::ordered_json classScores_;  // null until captured
    nlohmann::ordered_json errors_;       // null until captured
};

}  // namespace motifora
