// One record of a sample: its letters, its name and the alignment position of its first letter.
#pragma once

#include <cstdint>
#include <string>

namespace motifora {

// The most characters a record's name or letters may hold: the project file keeps no more, so
// a sample with a longer record is refused when it is read rather than saved into a project
// that cannot be opened again.
inline constexpr int32_t kMaxRecordText = 1 << 20;

class Sequence {
  public:
    Sequence() = default;
    virtual ~Sequence() = default;
    Sequence(const Sequence&) = default;
    Sequence& operator=(const Sequence&) = default;
    Sequence(Sequence&&) noexcept = default;
    Sequence& operator=(Sequence&&) noexcept = default;

    // Copies both texts, stores the start position and sets `length` to the letter count.
    // Always returns 0.
    int assign(const std::string& newText, const std::string& newName, int32_t newStartPosition);

    int32_t length = 0;         // number of letters in `text`
    int32_t startPosition = 0;  // 1-based alignment position of the first letter
    std::string name;
    std::string text;
};

}  // namespace motifora
