// Blank trimming and comma splitting shared by the readers of typed lists and options.
#pragma once

#include <string_view>
#include <vector>

namespace motifora {

// The text without the blanks (spaces, tabs, line ends) at its two ends.
std::string_view trimBlanks(std::string_view text);

// The comma-separated items of a text, each with its blanks trimmed, in order. Every comma
// separates two items, so "" gives one empty item and "a," gives "a" and an empty item. The
// views point into `text`.
std::vector<std::string_view> commaItems(std::string_view text);

}  // namespace motifora
