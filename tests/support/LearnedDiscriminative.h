// Discriminative rules learned from samples with a planted motif by a small search, for the tests
// of the scans that score windows with them.
#pragma once

#include <cstdint>

#include "evaluation/Pipeline.h"
#include "support/MotifSamples.h"
#include "support/Seed.h"

namespace motifora::test {

inline ContrastScorer learnedDiscriminative(const char* name, uint32_t seed, int32_t width,
                                            ContrastShape shape = {}) {
    const MotifSamples s = motifSamples(testSeed(name, seed), 40, width);
    LearningSettings settings;
    settings.score = ScoreKind::kDiscriminative;
    settings.search.finishBufferSize = 100;
    settings.search.subBufferSize = 20;
    settings.contrastShape = shape;
    return learnModel(s.positives, s.negatives, settings, {}).contrast;
}

}  // namespace motifora::test
