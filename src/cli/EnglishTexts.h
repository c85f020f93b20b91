// The English texts of motifora-cli's messages, from the window's translation source.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace motifora {

// One marked text of the window (see core/Translatable.h) and its English.
struct EnglishText {
    const char* original;
    const char* english;
};

// The table generated at build time from translations/motifora_en.ts (TranslationTable.cmake):
// the same English the window loads through Qt's translation file, without Qt in the program.
extern const EnglishText kEnglishTexts[];
extern const size_t kEnglishTextCount;

// The English of a marked text, or nothing when it has none.
std::optional<std::string> englishText(const std::string& original);

// `text` in English by the window's rule (translateText): marked texts and marked starts before
// a file name or reason are translated, everything else stays.
std::string inEnglish(const std::string& text);

}  // namespace motifora
