// Texts the user sees that also exist in English: the marker that lists them for Qt's
// translation tools, and the rule by which a shown text finds its translation.
#pragma once

#include <functional>
#include <optional>
#include <string>

// Marks a text the window shows (a message, a caption, a button, a status) as translatable.
// The text itself is unchanged: the system's own words are the default language. lupdate lists
// every marked text in translations/motifora_en.ts, the text being its own id
// (scripts/translations.sh maps this marker onto QT_TRID_NOOP); the front ends look the texts up
// when they show them.
#define MOTIFORA_TR(text) text

namespace motifora {

// Returns the translation of a marked text, or nothing when there is none.
using TextLookup = std::function<std::optional<std::string>(const std::string&)>;

// `text` in another language, line by line. A line that is a marked text takes its translation;
// a line that starts with a marked text ending in ": " or ":" (a file name or a reason follows)
// takes the translation of that start and keeps the rest; any other line stays as it is, so a
// reason written by a file reader or a number passes through unchanged.
std::string translateText(const std::string& text, const TextLookup& lookup);

}  // namespace motifora
