// The workspace alphabet: dense letter codes in order of first appearance, case-insensitive.
#pragma once

#include <array>
#include <cstdint>

#include "core/Sequence.h"

namespace motifora {

class CCodeTable {
  public:
    static constexpr int kCapacity = 256;

    CCodeTable();
    virtual ~CCodeTable() = default;

    // Stores the letter with the next code unless an entry equal to it without regard to case
    // exists (case is compared for the ASCII letters only, whatever the C locale says). Returns
    // false (and stores nothing) when the table is full.
    bool addLetter(unsigned char letter);
    // addLetter for every letter of every record, records in order. Returns false when the table
    // overflowed (letters beyond the capacity are not stored).
    bool addLetters(const Sequence* records, int32_t count);
    // Code of the entry equal to the letter without regard to case, or -1.
    int32_t codeOf(unsigned char letter) const { return codeByByte_[letter]; }
    // Stored letter of the entry with that code, or -1 (the empty-position code included).
    int32_t letterOf(int32_t code) const;
    int32_t size() const { return letterCount; }
    // Empties the table.
    void clear();
    // Replaces the entries by `count` letters in code order (slot i gets code i), as a saved
    // table lists them; letters equal without regard to case are kept as they are, and codeOf
    // then finds the first of them. Returns false, storing nothing, when count is negative or
    // above the capacity.
    bool setEntries(const unsigned char* entries, int32_t count);
    // Recomputes the byte lookup from `letters`, `letterCodes` and `letterCount` after they were
    // written directly. A count outside 0..256 is clamped.
    void rebuildLookup();

    // Public for reading; write entries through addLetter or setEntries (or call rebuildLookup
    // afterwards) so that codeOf stays in step with the slots.

    std::array<unsigned char, kCapacity> letters{};
    std::array<int32_t, kCapacity> letterCodes{};
    int32_t letterCount = 0;

  private:
    // Lookup of every byte, kept equal to the first-match scan over the stored entries.
    std::array<int32_t, 256> codeByByte_;
};

}  // namespace motifora
