// Small learning samples that the discriminative search can tell apart, as ".seq" texts.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace motifora::test {

// `count` records of `length` letters over ACGT; in the positive ones position 3 (0-based) is
// 'T' and position 6 'G' for most records, in the negative ones those letters are as rare as
// any other. The rest is random from `seed`.
inline std::vector<std::string> contrastRecords(bool positive, int count, int length,
                                                uint32_t seed) {
    std::mt19937 random(seed + (positive ? 0u : 7919u));
    const char letters[] = "ACGT";
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) {
        std::string text;
        for (int p = 0; p < length; ++p) text += letters[random() % 4];
        if (positive) {
            if (i % 8 != 7) text[3] = 'T';
            if (i % 5 != 4) text[6] = 'G';
        } else if (text[3] == 'T') {
            text[3] = letters[random() % 3];  // A, C or G
        }
        out.push_back(text);
    }
    return out;
}

// ".seq" text of the records, named p1, p2, ... or n1, n2, ...
inline std::string contrastSeqText(const std::vector<std::string>& records, char prefix) {
    std::string out;
    for (size_t i = 0; i < records.size(); ++i)
        out += ">" + std::string(1, prefix) + std::to_string(i + 1) + ";" + records[i] + "\n";
    return out;
}

}  // namespace motifora::test
