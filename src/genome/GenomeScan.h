// A whole-genome scan: every window of every FASTA record scored against chosen classes of a
// model, on one strand or both, streaming record by record in pieces of bounded size.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "evaluation/ContrastScore.h"
#include "genome/ClassScorer.h"
#include "genome/FastaReader.h"

namespace motifora {

class CCodeTable;
class Classificator;

struct ScanSettings {
    std::vector<int32_t> classes;  // 0-based class indexes, in output order
    bool bothStrands = false;
    bool hits = false;  // report windows scoring at least `level`
    double level = 0.0;
    bool merge = false;  // merge overlapping hits of a class on a strand, keeping the best score
    int32_t threads = 1;
    // The windows are scored by the discriminative rules (one score, named "discriminative"),
    // not by classes.
    bool discriminative = false;
    // Only these records (by name), in file order; empty = every record.
    std::vector<std::string> records;
    // Letters read per piece of a record (the window's width minus one more are kept over).
    size_t pieceLetters = size_t{1} << 18;
    const std::atomic<bool>* stop = nullptr;  // set by another thread to end the scan early
    // Called by each scoring thread before it scores a class on a strand for a piece, just before
    // the stop flag is checked: it may raise the flag (the command line passes Ctrl-C on so).
    std::function<void()> onScoringStep;
};

// A window scoring at least the level, or a run of overlapping ones after merging.
struct ScanHit {
    int64_t start = 0;  // 0-based, half-open
    int64_t end = 0;
    int32_t classOrder = 0;  // index into ScanSettings::classes
    char strand = '+';
    double score = 0.0;
};

struct ScanTotals {
    int64_t records = 0;
    int64_t letters = 0;
    int64_t windows = 0;         // window starts scored
    int64_t skippedWindows = 0;  // window starts holding a letter outside the alphabet
    int64_t hits = 0;
};

// A stretch of a record's windows as a scoring thread has it, for ScanSink::prepare.
struct ScanStretch {
    const FastaRecord& record;
    int64_t first = 0;  // record position of the first window
    std::span<const double> best;
    std::span<const uint8_t> valid;
    // The hits hit() receives for this stretch, in that order; empty when hits are merged (a
    // merged run is known only later, and reaches hit() only then).
    std::span<const ScanHit> hits;
    bool merged = false;
};

// What a sink made of a stretch on a scoring thread (see ScanSink::prepare).
class ScanPrepared {
  public:
    virtual ~ScanPrepared() = default;
};

// Receives the results in file order. Within a record: windows() in increasing starts, then the
// record's hits sorted by start, end, class order and strand ('+' first). Every call but
// prepare() comes from the thread that runs the scan.
class ScanSink {
  public:
    virtual ~ScanSink() = default;
    virtual void recordStart(const FastaRecord& record) { (void)record; }
    // Best score over the classes and strands of the windows starting at first, first + 1, ...
    // (valid[j] 0: the window holds a letter outside the alphabet and has no score). A piece's
    // hits (unless merged) come before its windows.
    virtual void windows(const FastaRecord& record, int64_t first, std::span<const double> best,
                         std::span<const uint8_t> valid) {
        (void)record, (void)first, (void)best, (void)valid;
    }
    virtual void hit(const FastaRecord& record, const ScanHit& hit) { (void)record, (void)hit; }
    virtual void recordEnd(const FastaRecord& record, int64_t letters) {
        (void)record, (void)letters;
    }
    // Called after every piece with the totals so far.
    virtual void progress(const ScanTotals& totals) { (void)totals; }
    // Why the sink cannot take more (a file could not be written), or empty; checked after
    // every piece, and the scan stops with it.
    virtual std::string Failure() const { return {}; }
    // Something the user should know that does not stop the scan (an index not used, and why).
    virtual void notice(const std::string& text) { (void)text; }

    // Work a sink may do on the scoring threads, such as turning results into text: called once
    // for every stretch of a piece's windows, on any scoring thread and at the same time as other
    // calls of prepare() (so it may change nothing of the sink that another call reads). What it
    // returns goes to take() in file order, before the stretch's hits and before the piece's
    // windows(); null gives take() nothing.
    virtual std::unique_ptr<ScanPrepared> prepare(const ScanStretch& stretch) const {
        (void)stretch;
        return nullptr;
    }
    virtual void take(const FastaRecord& record, std::unique_ptr<ScanPrepared> prepared) {
        (void)record, (void)prepared;
    }
};

// The highest class number a scan's class list may name.
constexpr int32_t kMostScanClasses = 1000000;
// Reads a class list such as "1,3-5" (readClassList, numbers up to kMostScanClasses) and appends
// the 0-based indexes not in `classes` yet, in the order first named. False on anything else.
bool parseClassList(const std::string& text, std::vector<int32_t>& classes);
// Reads a level written with a decimal point or a comma (NumberFormat::readEitherSeparator).
// False when it is not a number.
bool parseScanLevel(std::string text, double& level);

class GenomeScanner {
  public:
    // Builds a scorer per chosen class from a set-up classificator and the model's code table.
    // Returns false with `error` set when a class does not exist, no class is chosen, the
    // model's alphabet is too large, or both strands are asked for an alphabet that is not made
    // of A, C, G and T.
    bool Prepare(Classificator& classificator, const CCodeTable& table,
                 const ScanSettings& settings, std::string& error);
    // Prepares a scan with one score, the discriminative rules' (settings.classes is taken as
    // that one score): the windows are the rules' width and coded with their letters. False with
    // `error` set when the rules have no width or too many letters, or both strands are asked
    // for letters other than A, C, G and T.
    bool PrepareDiscriminative(std::shared_ptr<const ContrastScorer> scorer,
                               const ScanSettings& settings, std::string& error);
    // Scans a FASTA file (a .fai index beside it is used to reach the chosen records directly).
    // Returns false with `error` naming the file, record or line when the file cannot be read,
    // a chosen record is missing, or the scan was stopped.
    bool Scan(const std::string& path, ScanSink& sink, std::string& error);

    const ScanTotals& Totals() const { return totals_; }
    int32_t Width() const { return width_; }

  private:
    struct Piece;
    struct Chunk;
    struct Event;
    struct Flow;
    struct Worker;
    // Reads the records on a thread of its own: the chosen records' pieces, coded, go to the
    // scoring threads and, in order, to the reporting thread.
    template <typename Source>
    void readRecords(Source& source, Flow& flow);
    template <typename Source>
    bool scanRecords(Source& source, ScanSink& sink, std::string& error);
    // Takes the pieces' stretches and scores them, until the flow ends.
    void scoreStretches(Flow& flow, Worker& worker, const ScanSink& sink);
    void scoreChunk(Piece& piece, Chunk& chunk, Worker& worker, const ScanSink& sink);
    // Reports the read records to the sink in order; false with `error` as Scan.
    bool report(Flow& flow, ScanSink& sink, const std::string& path, std::string& error);
    bool stopped() const;
    void mergeHit(const ScanHit& hit);
    void flushMerged(const FastaRecord& record, ScanSink& sink);

    // Codes of the letters of `table`'s first `letters` codes, and their complements when both
    // strands are scanned; false with `error` when a letter has none.
    bool prepareCodes(const CCodeTable& table, int32_t letters, std::string& error);

    ScanSettings settings_;
    std::vector<std::unique_ptr<WindowScorer>> scorers_;
    int32_t width_ = 0;
    uint8_t codeOfByte_[256] = {};
    uint8_t complement_[256] = {};
    ScanTotals totals_;
    std::vector<ScanHit> open_;    // per class and strand, the hit being merged
    std::vector<ScanHit> merged_;  // the record's merged hits
};

}  // namespace motifora
