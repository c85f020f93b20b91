// The code table: letters to dense codes and back.
#include "core/CCodeTable.h"

#include <cctype>

namespace motifora {

CCodeTable::CCodeTable() { codeByByte_.fill(-1); }

bool CCodeTable::addLetter(unsigned char letter) {
    if (codeByByte_[letter] >= 0) return true;
    if (letterCount >= kCapacity) return false;
    const int32_t code = letterCount;
    letters[code] = letter;
    letterCodes[code] = code;
    ++letterCount;
    // Every byte that compares equal to the letter without regard to case now maps to it.
    const int upper = std::toupper(letter);
    for (int b = 0; b < 256; ++b) {
        if (codeByByte_[b] < 0 && std::toupper(b) == upper) codeByByte_[b] = code;
    }
    return true;
}

bool CCodeTable::addLetters(const Sequence* records, int32_t count) {
    bool ok = true;
    for (int32_t r = 0; r < count; ++r) {
        const std::string& text = records[r].text;
        for (int32_t j = 0; j < records[r].length && j < static_cast<int32_t>(text.size()); ++j) {
            ok = addLetter(static_cast<unsigned char>(text[j])) && ok;
        }
    }
    return ok;
}

void CCodeTable::clear() {
    letters.fill(0);
    letterCodes.fill(0);
    letterCount = 0;
    codeByByte_.fill(-1);
}

int32_t CCodeTable::letterOf(int32_t code) const {
    for (int32_t i = 0; i < letterCount; ++i) {
        if (letterCodes[i] == code) return letters[i];
    }
    return -1;
}

}  // namespace motifora
