// An ideal object: the prototype of a class, a position x letter matrix of allowed-letter flags.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/CCodeTable.h"
#include "core/SEQStorage.h"

namespace motifora {

// One cell of an ideal object.
struct PositionLetter {
    int32_t position = 0;
    int32_t letter = 0;
};

// A plain value: copied and moved member by member.
class CIdelObject final {
  public:
    // A matrix of the given size with flag (i, c) set where the object's code c at i is a letter
    // code 0 .. letters-1 (positions past the object's end stay empty). Returns true.
    bool InitFromObject(int32_t positions, int32_t letters, const SEQSElem& object);
    // A matrix of the given size with every flag clear. Returns true.
    bool InitEmpty(int32_t positions, int32_t letters);
    // The flag of a cell inside the matrix (no range check).
    uint8_t IsAllowed(PositionLetter cell) const { return cells[index(cell)]; }
    void Allow(PositionLetter cell) { cells[index(cell)] = 1; }
    void Forbid(PositionLetter cell) { cells[index(cell)] = 0; }
    // Clears every position at which all letters are allowed.
    void ClearFullPositions();
    // Writes the text form ("-[A]-[CG]-[ ]-") into `text`, replacing it. Returns 0. A code the
    // table does not know prints as '?'.
    int ToText(std::string& text, const CCodeTable& codeTable) const;
    // The same into a caller's buffer of `size` bytes, cut short (and still terminated) if the
    // buffer is smaller than positionCount * (alphabetSize + 3) + 2. Returns 0.
    int ToText(char* buffer, size_t size, const CCodeTable& codeTable) const;
    double Value() const { return value; }
    // Identity of class prototypes: equal sizes and every flag equal.
    bool operator==(const CIdelObject& other) const;

    std::vector<uint8_t> cells;  // positionCount rows of alphabetSize flags, row by row
    int32_t positionCount = 0;
    int32_t alphabetSize = 0;
    double value = 0.0;

  private:
    size_t index(PositionLetter cell) const {
        return static_cast<size_t>(cell.position) * static_cast<size_t>(alphabetSize) +
               static_cast<size_t>(cell.letter);
    }
};

}  // namespace motifora
