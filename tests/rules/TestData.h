// Helpers shared by the rules tests: storages built from letters, the search reports a sink
// recorded, data.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <variant>
#include <vector>

#include "core/ProgressEvents.h"
#include "core/SEQStorage.h"
#include "core/Sequence.h"
#include "rules/ContrastSearch.h"
#include "rules/Rule.h"
#include "support/RecordingSink.h"

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

// The whole-sequence objects of positive and negative texts, and their labelled storage, the
// discriminative search's view of both samples in the given shape.
inline void buildLabelled(SEQStorage& objects, SEQStorage& labelled,
                          const std::vector<std::string>& positives,
                          const std::vector<std::string>& negatives, ContrastShape shape = {}) {
    const auto p = records(positives);
    const auto n = records(negatives);
    const auto positiveCount = static_cast<int32_t>(p.size());
    objects.buildWholeWithNegatives(p.data(), n.data(), positiveCount,
                                    static_cast<int32_t>(n.size()));
    buildLabelledStorage(objects, positiveCount, labelled, shape);
}

// One report of a search, flattened for comparison: "entry|fisher|cp|rule|position|buffer|step"
// for a buffer entry, "rewind|buffer|amount" for entries leaving a buffer.
struct SearchReport {
    std::string what;
    bool operator==(const SearchReport&) const = default;
};

// The buffer reports `sink` recorded, in order.
inline std::vector<SearchReport> searchReports(const test::RecordingSink& sink) {
    std::vector<SearchReport> reports;
    for (const ProgressEvent& event : sink.events()) {
        if (const auto* entry = std::get_if<BufferEntry>(&event)) {
            reports.push_back({"entry|" + entry->fisherText + "|" + entry->cpText + "|" +
                               entry->ruleText + "|" + std::to_string(entry->position) + "|" +
                               std::to_string(codeOf(entry->buffer)) + "|" +
                               std::to_string(entry->step)});
        } else if (const auto* rewound = std::get_if<BufferRewound>(&event)) {
            reports.push_back({"rewind|" + std::to_string(codeOf(rewound->buffer)) + "|" +
                               std::to_string(rewound->amount)});
        }
    }
    return reports;
}

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
