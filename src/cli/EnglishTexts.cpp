// The English texts of motifora-cli's messages, from the window's translation source.
#include "cli/EnglishTexts.h"

#include <string_view>
#include <unordered_map>

#include "core/Translatable.h"

namespace motifora {

std::optional<std::string> englishText(const std::string& original) {
    static const std::unordered_map<std::string_view, std::string_view> table = [] {
        std::unordered_map<std::string_view, std::string_view> texts;
        for (size_t i = 0; i < kEnglishTextCount; ++i)
            texts.emplace(kEnglishTexts[i].original, kEnglishTexts[i].english);
        return texts;
    }();
    const auto found = table.find(original);
    if (found == table.end()) return std::nullopt;
    return std::string(found->second);
}

std::string inEnglish(const std::string& text) { return translateText(text, englishText); }

}  // namespace motifora
