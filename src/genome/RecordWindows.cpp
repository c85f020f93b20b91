// The windows of the records cut into pieces of whole 64-window blocks, the pieces of a chunk
// scored on the pool's threads, then the windows without a score given theirs in order.
#include "genome/RecordWindows.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "classify/Classificator.h"
#include "core/CCodeTable.h"
#include "core/SEQStorage.h"
#include "core/WorkerPool.h"
#include "genome/ContrastWindowScorer.h"

namespace motifora {

namespace {

// Windows of one record scored in one go by one thread, at most: a piece never holds more than
// a chunk (rounded up to whole 64-window blocks), so the chunks keep to their size.
constexpr int64_t kMostPieceWindows = 4096;

struct Piece {
    int32_t record = 0;
    int64_t offset = 0;  // of its first window in the record
    int64_t first = 0;   // of its first window among all
    int64_t count = 0;
    bool scored = false;  // false: the record's letters are not at positions 1, 2, ...
};

// The record's letters stand at positions 1 ... length: a window's letters are those of the
// text at its offset.
bool plainRecord(const Sequence& record) {
    return record.startPosition == 1 && record.length >= 0 &&
           record.text.size() >= static_cast<size_t>(record.length);
}

}  // namespace

int64_t recordWindowCount(const Sequence* records, int32_t count, int32_t width) {
    if (width < 1 || records == nullptr) return 0;
    int64_t total = 0;
    for (int32_t r = 0; r < count; ++r)
        total += std::max<int64_t>(int64_t{records[r].length} - width + 1, 0);
    return std::min<int64_t>(total, std::numeric_limits<int32_t>::max());
}

std::array<uint8_t, 256> windowCodesOf(const CCodeTable& table, int32_t letters) {
    std::array<uint8_t, 256> codes{};
    for (int b = 0; b < 256; ++b) {
        const int32_t code = table.codeOf(static_cast<unsigned char>(b));
        codes[static_cast<size_t>(b)] = code >= 0 && code < letters && code < kMaxScanAlphabet
                                            ? static_cast<uint8_t>(code)
                                            : kNoLetter;
    }
    return codes;
}

bool scoreRecordWindows(const Sequence* records, int32_t count, const RecordWindowScan& scan,
                        std::vector<double>& out) {
    const int64_t total = recordWindowCount(records, count, scan.width);
    out.assign(static_cast<size_t>(total), 0.0);
    const int64_t chunk = std::max<int64_t>(scan.chunkWindows, 1);
    const int64_t pieceWindows = std::min(kMostPieceWindows, (chunk + 63) / 64 * 64);
    // The pieces in window order; the count stops where the total does.
    std::vector<Piece> pieces;
    int64_t next = 0;
    for (int32_t r = 0; r < count && next < total; ++r) {
        const int64_t windows = std::min(
            std::max<int64_t>(int64_t{records[r].length} - scan.width + 1, 0), total - next);
        const bool scored = scan.scorer != nullptr && scan.scorer->Width() >= 1 &&
                            scan.scorer->Width() <= scan.width && plainRecord(records[r]);
        for (int64_t offset = 0; offset < windows; offset += pieceWindows) {
            pieces.push_back(
                {r, offset, next + offset, std::min(pieceWindows, windows - offset), scored});
        }
        next += windows;
    }

    WorkerPool pool(WorkerPool::threadsFor(std::max(scan.threads, 1)));
    std::vector<uint8_t> valid;
    size_t from = 0;
    int64_t done = 0;
    while (from < pieces.size()) {
        if (scan.step && !scan.step(done)) return false;
        // Whole pieces up to the chunk's windows, at least one.
        size_t to = from + 1;
        int64_t windows = pieces[from].count;
        while (to < pieces.size() && windows + pieces[to].count <= chunk)
            windows += pieces[to++].count;
        const int64_t chunkFirst = pieces[from].first;
        valid.assign(static_cast<size_t>(windows), 0);
        pool.run(to - from, [&](size_t begin, size_t end) {
            ScorerScratch scratch;
            std::vector<uint8_t> codes;
            for (size_t i = from + begin; i < from + end; ++i) {
                const Piece& piece = pieces[i];
                if (!piece.scored) continue;
                const std::string& text = records[piece.record].text;
                const auto letters = static_cast<size_t>(piece.count + scan.scorer->Width() - 1);
                codes.resize(letters);
                const auto at = static_cast<size_t>(piece.offset);
                for (size_t j = 0; j < letters; ++j)
                    codes[j] = scan.codeOfByte[static_cast<unsigned char>(text[at + j])];
                scan.scorer->Score(codes.data(), static_cast<size_t>(piece.count),
                                   out.data() + piece.first,
                                   valid.data() + (piece.first - chunkFirst), scratch);
            }
        });
        for (size_t i = from; i < to; ++i) {
            const Piece& piece = pieces[i];
            for (int64_t j = 0; j < piece.count; ++j) {
                if (valid[static_cast<size_t>(piece.first - chunkFirst + j)] != 0) continue;
                out[static_cast<size_t>(piece.first + j)] =
                    scan.fallback ? scan.fallback(piece.record, piece.offset + j)
                                  : std::numeric_limits<double>::quiet_NaN();
            }
        }
        done += windows;
        from = to;
    }
    return true;
}

bool scoreClassWindows(Classificator& classificator, const SEQStorage& storage, int32_t k,
                       const Sequence* records, int32_t count, RecordWindowScan scan,
                       std::vector<double>& out) {
    ClassScorer scorer;
    scan.scorer = scorer.Build(classificator, k, scan.width) ? &scorer : nullptr;
    scan.codeOfByte = windowCodesOf(storage.codeTable, classificator.alphabetSize);
    // A window the scorer leaves is cut and scored as an object, as the object table would hold
    // it.
    SEQSElem window;
    window.allocate(std::max(scan.width, 0), storage.alphabetSize);
    scan.fallback = [&](int32_t record, int64_t offset) {
        std::fill(window.codes, window.codes + window.positionCount(), storage.alphabetSize);
        storage.cutWindow(records[record], offset, window);
        return classificator.ScoreObject(window, 0, k);
    };
    return scoreRecordWindows(records, count, scan, out);
}

bool scoreDiscriminativeWindows(const ContrastRules& rules, const Sequence* records, int32_t count,
                                RecordWindowScan scan, std::vector<double>& out) {
    auto contrast = std::make_shared<ContrastScorer>();
    contrast->rules = rules;
    const ContrastWindowScorer scorer(std::move(contrast));
    scan.scorer = &scorer;
    scan.width = rules.width;
    scan.codeOfByte = windowCodesOf(rules.letters, scorer.AlphabetSize());
    scan.fallback = nullptr;
    return scoreRecordWindows(records, count, scan, out);
}

}  // namespace motifora
