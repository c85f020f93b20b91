// The code table: letters to dense codes and back.
#include "core/CCodeTable.h"

#include <algorithm>

namespace motifora {

namespace {

// Case folding of the C locale: only 'a'..'z' change. The window toolkit may set a national
// locale at start-up, and the codes must not depend on it.
int upperOf(int b) { return (b >= 'a' && b <= 'z') ? b - 'a' + 'A' : b; }

}  // namespace

CCodeTable::CCodeTable() { codeByByte_.fill(-1); }

bool CCodeTable::addLetter(unsigned char letter) {
    if (codeByByte_[letter] >= 0) return true;
    if (letterCount >= kCapacity) return false;
    const int32_t code = letterCount;
    letters[static_cast<size_t>(code)] = letter;
    letterCodes[static_cast<size_t>(code)] = code;
    ++letterCount;
    // Every byte equal to the letter without regard to case now finds it.
    const int upper = upperOf(letter);
    for (int b = 0; b < 256; ++b) {
        if (codeByByte_[static_cast<size_t>(b)] < 0 && upperOf(b) == upper) {
            codeByByte_[static_cast<size_t>(b)] = code;
        }
    }
    return true;
}

bool CCodeTable::addLetters(const Sequence* records, int32_t count) {
    bool ok = true;
    if (records == nullptr) return ok;
    for (int32_t r = 0; r < count; ++r) {
        const std::string& text = records[r].text;
        const int32_t n = std::min<int32_t>(records[r].length, static_cast<int32_t>(text.size()));
        for (int32_t j = 0; j < n; ++j) {
            ok = addLetter(static_cast<unsigned char>(text[static_cast<size_t>(j)])) && ok;
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

bool CCodeTable::setEntries(const unsigned char* entries, int32_t count) {
    if (count < 0 || count > kCapacity || (count > 0 && entries == nullptr)) return false;
    clear();
    for (int32_t i = 0; i < count; ++i) {
        letters[static_cast<size_t>(i)] = entries[i];
        letterCodes[static_cast<size_t>(i)] = i;
    }
    letterCount = count;
    rebuildLookup();
    return true;
}

void CCodeTable::rebuildLookup() {
    letterCount = std::clamp<int32_t>(letterCount, 0, kCapacity);
    codeByByte_.fill(-1);
    // The first slot equal to a byte wins, as in a scan from slot 0.
    std::array<bool, 256> found{};
    for (int32_t i = 0; i < letterCount; ++i) {
        const int upper = upperOf(letters[static_cast<size_t>(i)]);
        for (int b = 0; b < 256; ++b) {
            if (!found[static_cast<size_t>(b)] && upperOf(b) == upper) {
                found[static_cast<size_t>(b)] = true;
                codeByByte_[static_cast<size_t>(b)] = letterCodes[static_cast<size_t>(i)];
            }
        }
    }
}

int32_t CCodeTable::letterOf(int32_t code) const {
    for (int32_t i = 0; i < letterCount && i < kCapacity; ++i) {
        if (letterCodes[static_cast<size_t>(i)] == code) return letters[static_cast<size_t>(i)];
    }
    return -1;
}

}  // namespace motifora
