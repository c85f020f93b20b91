// Helpers shared by the rules tests: storages built from letters, a recording display, data.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/Display.h"
#include "core/SEQStorage.h"
#include "core/Sequence.h"
#include "rules/Rule.h"

namespace motifora::testing {

// Records aligned from position 1, named r0, r1, ...
inline std::vector<Sequence> records(const std::vector<std::string>& texts, int32_t start = 1) {
    std::vector<Sequence> out(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        out[i].assign(texts[i], "r" + std::to_string(i), start);
    }
    return out;
}

// The cells t11, t12, t21, t22 of a 2x2 table, to compare in one expectation.
using Cells = std::array<int64_t, 4>;
inline Cells cells(const FisherTable& table) {
    return {table.t11, table.t12, table.t21, table.t22};
}

// A storage of whole-sequence learning objects from the texts.
inline void buildWhole(SEQStorage& storage, const std::vector<std::string>& texts) {
    const auto recs = records(texts);
    storage.buildWhole(recs.data(), static_cast<int32_t>(recs.size()));
}

// One display call, flattened for comparison.
struct DisplayCall {
    std::string what;
    bool operator==(const DisplayCall&) const = default;
};

class RecordingDisplay : public Display {
  public:
    void ReportBufferEntry(const std::string& fisherText, const std::string& cpText,
                           const std::string& ruleText, int32_t position, int32_t kind,
                           int32_t step) override {
        calls.push_back({"entry|" + fisherText + "|" + cpText + "|" + ruleText + "|" +
                         std::to_string(position) + "|" + std::to_string(kind) + "|" +
                         std::to_string(step)});
    }
    void RewindBufferProgress(int32_t kind, int32_t amount) override {
        calls.push_back({"rewind|" + std::to_string(kind) + "|" + std::to_string(amount)});
    }
    std::vector<DisplayCall> calls;
};

// Random sequences over `alphabet` with planted dependencies: in each record a few positions
// copy (with some noise) the letter at an earlier position, so searches find deep rules.
inline std::vector<std::string> plantedTexts(uint32_t seed, int32_t count, int32_t length,
                                             const std::string& alphabet, double noise = 0.15) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<size_t> letter(0, alphabet.size() - 1);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<std::string> texts;
    for (int32_t r = 0; r < count; ++r) {
        std::string t(static_cast<size_t>(length), ' ');
        for (auto& c : t) c = alphabet[letter(rng)];
        for (int32_t p = 2; p < length; p += 3) {
            if (unit(rng) > noise) {
                t[static_cast<size_t>(p)] = alphabet[(alphabet.find(t[static_cast<size_t>(p - 2)]) +
                                                      static_cast<size_t>(p % 2)) %
                                                     alphabet.size()];
            }
        }
        texts.push_back(t);
    }
    return texts;
}

}  // namespace motifora::testing
