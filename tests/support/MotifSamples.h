// Learning samples with a planted motif, as records: the positives carry `motif` at `at`
// (0-based) three times in four, shifted by -jitter..jitter (uniform) when `jitter` > 0; the
// negatives are uniform letters over ACGT.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/Sequence.h"

namespace motifora::test {

struct MotifSamples {
    std::vector<Sequence> positives, negatives;
};

inline MotifSamples motifSamples(uint32_t seed, int32_t count, int32_t width,
                                 const std::string& motif = "TATAAT", int32_t at = 3,
                                 int32_t jitter = 0) {
    std::mt19937 random(seed);
    const char letters[] = "ACGT";
    MotifSamples s;
    for (int32_t i = 0; i < 2 * count; ++i) {
        const bool positive = i < count;
        std::string text;
        for (int32_t p = 0; p < width; ++p) text += letters[random() % 4];
        if (positive && random() % 4 != 0) {
            const int32_t shift =
                jitter > 0
                    ? static_cast<int32_t>(random() % static_cast<uint32_t>(2 * jitter + 1)) -
                          jitter
                    : 0;
            text.replace(static_cast<size_t>(at + shift), motif.size(), motif);
        }
        Sequence record;
        record.assign(text, (positive ? "p" : "n") + std::to_string(i), 1);
        (positive ? s.positives : s.negatives).push_back(record);
    }
    return s;
}

}  // namespace motifora::test
