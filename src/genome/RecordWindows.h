// Every window of one width along the records of a sample, scored by a window scorer on several
// threads, chunk by chunk so that the caller can show progress, pause or stop in between: the
// scanning recognition of long control sequences.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "core/Sequence.h"
#include "genome/ClassScorer.h"

namespace motifora {

class CCodeTable;
class Classificator;
class SEQStorage;
struct ContrastRules;

struct RecordWindowScan {
    // Scores the windows it can; null: every window goes to `fallback`. Its Width() is at most
    // `width` (a window's later letters may take no part in its score).
    const WindowScorer* scorer = nullptr;
    // The scorer's code of every letter; kNoLetter (or any code beyond its alphabet) for a
    // letter it does not know.
    std::array<uint8_t, 256> codeOfByte{};
    // Letters per window: a record of length L has max(L - width + 1, 0) windows, window k
    // holding letters k ... k + width - 1.
    int32_t width = 0;
    int32_t threads = 1;
    // Windows scored between two calls of `step`.
    int64_t chunkWindows = int64_t{1} << 16;
    // Called on the calling thread before the first window and between chunks with the count of
    // windows scored so far; false stops the scan there.
    std::function<bool(int64_t done)> step;
    // The score of window `offset` of record `record` where the scorer gives none: every window
    // of a record whose letters do not stand at positions 1, 2, ... (a start position other than
    // 1, or fewer letters than its length), and a window holding a letter outside the scorer's
    // alphabet. Called on the calling thread, in window order. Without it those windows score
    // not-a-number.
    std::function<double(int32_t record, int64_t offset)> fallback;
};

// The windows of `width` letters along records[0 .. count): the sum of length - width + 1 over
// the records at least `width` long, at most the largest int32_t (as an object table counts
// them). 0 for a width below 1.
int64_t recordWindowCount(const Sequence* records, int32_t count, int32_t width);

// Scores those windows, record after record, into `out` (resized to their count): out[k] is the
// score of the k-th window. False when `step` stopped the scan (`out` then holds the chunks
// scored before, zeros after).
bool scoreRecordWindows(const Sequence* records, int32_t count, const RecordWindowScan& scan,
                        std::vector<double>& out);

// The class score of class k of a set-up classificator for every window of `scan.width` letters:
// exactly Classificator::ScoreObject of the window objects SEQStorage::buildControlWindows cuts
// from the records with `storage` (the classificator's storage, whose code table codes them),
// bit for bit. Windows narrower than the classes score as such objects do (their later positions
// empty), wider ones by their first letters. `scan`'s scorer, codes and fallback are set here;
// the fallback uses the classificator, so nothing else may use it meanwhile.
bool scoreClassWindows(Classificator& classificator, const SEQStorage& storage, int32_t k,
                       const Sequence* records, int32_t count, RecordWindowScan scan,
                       std::vector<double>& out);
// The discriminative rules' score of every window of their width (`scan.width` is set to it),
// as ContrastWindowScorer scores them; a window holding a letter outside their alphabet scores
// not-a-number.
bool scoreDiscriminativeWindows(const ContrastRules& rules, const Sequence* records, int32_t count,
                                RecordWindowScan scan, std::vector<double>& out);

// The byte-to-code table of `table`'s first `letters` codes (kNoLetter for any other byte).
std::array<uint8_t, 256> windowCodesOf(const CCodeTable& table, int32_t letters);

}  // namespace motifora
