// One record of a sample: its letters, its name and the alignment position of its first letter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace motifora {

// The most characters a record's name or letters may hold: the project file keeps no more, so
// a sample with a longer record is refused when it is read rather than saved into a project
// that cannot be opened again.
inline constexpr int32_t kMaxRecordText = 1 << 20;

// A plain value: copied and moved member by member.
class Sequence final {
  public:
    // Copies both texts, stores the start position and sets `length` to the letter count; the
    // description is cleared. Always returns 0.
    int assign(const std::string& newText, const std::string& newName, int32_t newStartPosition);

    // What the window shows for the record: its header as read, or its name.
    const std::string& shownName() const { return description.empty() ? name : description; }

    int32_t length = 0;         // number of letters in `text`
    int32_t startPosition = 0;  // 1-based alignment position of the first letter
    std::string name;
    std::string text;
    // The whole header line as read, where it says more than `name` (a FASTA header with words
    // after its first); empty otherwise. It is shown, never stored: a project and a ".seq" file
    // keep the name alone, so a record read back from them has none.
    std::string description;
};

// The records of a sample that are shorter than a width, for the note a fixed-positions load
// gives: how many there are and every length the sample holds (shortest first).
struct ShorterRecords {
    int count = 0;
    std::vector<int32_t> lengths;  // the distinct lengths of all records, ascending
};

// The records of `records[0 .. count)` shorter than `width` (letters past the start position
// included: a record ends at startPosition - 1 + length).
ShorterRecords shorterRecords(const Sequence* records, int32_t count, int32_t width);

}  // namespace motifora
