// Class numbers as the user types them ("3", "2-5", "1,3-5"): the one reading the command line's
// error counting, its genome scan and the genome-scan window share.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace motifora {

// A run of class numbers, 1-based, first <= last.
struct ClassRange {
    int32_t first = 1;
    int32_t last = 1;

    bool operator==(const ClassRange&) const = default;
};

// The most numbers one run may span beyond its first ("1-1000001" is the widest from 1).
constexpr int32_t kWidestClassRun = 1000000;

// Reads comma-separated items, each a class number or a run "A-B" with A <= B: whole decimal
// numbers from 1, an optional '+' before each, blanks allowed around the numbers, the dash and
// the commas, one comma after the last item ignored. On success `ranges` holds the items in the
// order written (repeats and overlaps kept) and the result is true. Otherwise the result is
// false and `bad`, when given, holds the first item that is not a class number or a run, with
// its blanks trimmed ("" for an empty item).
bool readClassList(std::string_view text, std::vector<ClassRange>& ranges,
                   std::string* bad = nullptr);

// The one run the ranges cover together, or nothing when they leave a gap (or are empty).
std::optional<ClassRange> classBlock(std::vector<ClassRange> ranges);

// The 0-based indexes of the classes named, each once, in the order first named. A class number
// above `known` ends the list there (it is kept, so the caller can name it), which bounds the
// list by `known` + 1 whatever the runs span.
std::vector<int32_t> classIndexes(const std::vector<ClassRange>& ranges, int32_t known);

}  // namespace motifora
