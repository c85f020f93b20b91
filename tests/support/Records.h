// Sample records built from their texts, as the engine tests feed them to the readers' users.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/Sequence.h"

namespace motifora::test {

// One record per text, each named "r" and starting at position 1.
inline std::vector<Sequence> records(std::initializer_list<const char*> texts) {
    std::vector<Sequence> out;
    for (const char* t : texts) {
        Sequence s;
        s.assign(t, "r", 1);
        out.push_back(s);
    }
    return out;
}

// One record of `text` named "r" whose first letter stands at `start`.
inline Sequence record(const std::string& text, int32_t start = 1) {
    Sequence s;
    s.assign(text, "r", start);
    return s;
}

// One record of each length, all letters 'A', named `prefix` with its number (1, 2, ...).
inline std::vector<Sequence> recordsOfLengths(const std::vector<int32_t>& lengths,
                                              const std::string& prefix) {
    std::vector<Sequence> out(lengths.size());
    for (size_t i = 0; i < lengths.size(); ++i)
        out[i].assign(std::string(static_cast<size_t>(lengths[i]), 'A'),
                      prefix + std::to_string(i + 1), 1);
    return out;
}

}  // namespace motifora::test
