// Information per position and letter heights.
#include "ui/model/SequenceLogo.h"

#include <algorithm>
#include <cmath>

namespace motifora {

SequenceLogo logoFromCounts(const std::vector<std::vector<int32_t>>& counts,
                            const std::string& alphabet, std::string title) {
    SequenceLogo logo;
    logo.title = std::move(title);
    const auto size = static_cast<double>(alphabet.size());
    logo.maxBits = alphabet.size() > 1 ? std::log2(size) : 0.0;
    for (const std::vector<int32_t>& position : counts) {
        LogoColumn column;
        int64_t n = 0;
        for (size_t a = 0; a < alphabet.size() && a < position.size(); ++a) n += position[a];
        logo.sequences = std::max<int32_t>(logo.sequences, static_cast<int32_t>(n));
        if (n > 0 && alphabet.size() > 1) {
            double entropy = 0.0;
            for (size_t a = 0; a < alphabet.size() && a < position.size(); ++a) {
                if (position[a] <= 0) continue;
                const double f = position[a] / static_cast<double>(n);
                entropy -= f * std::log2(f);
            }
            const double correction = (size - 1) / (2 * std::log(2.0) * static_cast<double>(n));
            column.bits = std::max(0.0, logo.maxBits - entropy - correction);
            for (size_t a = 0; a < alphabet.size() && a < position.size(); ++a)
                if (position[a] > 0)
                    column.letters.push_back(
                        {alphabet[a], column.bits * position[a] / static_cast<double>(n)});
            // The most frequent on top; of equal ones the earlier letter stands higher.
            std::stable_sort(
                column.letters.begin(), column.letters.end(),
                [](const LogoLetter& x, const LogoLetter& y) { return x.bits > y.bits; });
            std::reverse(column.letters.begin(), column.letters.end());
        }
        logo.columns.push_back(std::move(column));
    }
    return logo;
}

}  // namespace motifora
