// Ideal objects: building the flag matrix from an object, clearing full positions, the text form.
#include "rules/CIdelObject.h"

#include <algorithm>

namespace motifora {

bool CIdelObject::InitEmpty(int32_t positions, int32_t letters) {
    positionCount = std::max(positions, 0);
    alphabetSize = std::max(letters, 0);
    cells.assign(static_cast<size_t>(positionCount) * static_cast<size_t>(alphabetSize), 0);
    return true;
}

bool CIdelObject::InitFromObject(int32_t positions, int32_t letters, const SEQSElem& object) {
    InitEmpty(positions, letters);
    // A shorter object has nothing beyond its end: those positions stay empty.
    const int32_t covered = std::min(positionCount, object.positionCount());
    for (int32_t i = 0; i < covered; ++i) {
        const int32_t c = object.codeAt(i);
        if (c >= 0 && c < alphabetSize) Allow({i, c});
    }
    return true;
}

void CIdelObject::ClearFullPositions() {
    if (alphabetSize == 0) return;
    for (int32_t p = 0; p < positionCount; ++p) {
        auto row = cells.begin() + static_cast<std::ptrdiff_t>(p) * alphabetSize;
        if (std::all_of(row, row + alphabetSize, [](uint8_t f) { return f != 0; })) {
            std::fill(row, row + alphabetSize, uint8_t{0});
        }
    }
}

int CIdelObject::ToText(std::string& text, const CCodeTable& codeTable) const {
    text.assign(1, '-');
    for (int32_t p = 0; p < positionCount; ++p) {
        text += '[';
        bool any = false;
        for (int32_t j = 0; j < alphabetSize; ++j) {
            if (IsAllowed({p, j}) == 0) continue;
            const int32_t letter = codeTable.letterOf(j);
            text += letter < 0 ? '?' : static_cast<char>(letter);
            any = true;
        }
        if (!any) text += ' ';
        text += "]-";
    }
    return 0;
}

int CIdelObject::ToText(char* buffer, size_t size, const CCodeTable& codeTable) const {
    if (buffer == nullptr || size == 0) return 0;
    std::string text;
    ToText(text, codeTable);
    const size_t n = std::min(text.size(), size - 1);
    std::copy_n(text.data(), n, buffer);
    buffer[n] = '\0';
    return 0;
}

bool CIdelObject::operator==(const CIdelObject& other) const {
    return positionCount == other.positionCount && alphabetSize == other.alphabetSize &&
           cells == other.cells;
}

}  // namespace motifora
