// Texts the user sees that also exist in English: how a shown text finds its translation.
#include "core/Translatable.h"

namespace motifora {

namespace {

std::string translateLine(const std::string& line, const TextLookup& lookup) {
    if (line.empty()) return line;
    if (auto whole = lookup(line)) return *whole;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) return line;
    // The marked start keeps its space after the colon when the text has one.
    for (size_t end : {colon + 2, colon + 1}) {
        if (end > line.size() || (end == colon + 2 && line[colon + 1] != ' ')) continue;
        if (auto start = lookup(line.substr(0, end))) return *start + line.substr(end);
    }
    return line;
}

}  // namespace

std::string translateText(const std::string& text, const TextLookup& lookup) {
    if (!lookup) return text;
    std::string out;
    size_t from = 0;
    while (true) {
        const size_t newline = text.find('\n', from);
        out += translateLine(text.substr(from, newline - from), lookup);
        if (newline == std::string::npos) break;
        out += '\n';
        from = newline + 1;
    }
    return out;
}

}  // namespace motifora
