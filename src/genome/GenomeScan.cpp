// The genome scan: pieces of each record coded once, scored per class and strand by several
// threads, then reported window by window in order.
#include "genome/GenomeScan.h"

#include <htslib/faidx.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <unordered_set>

#include "classify/Classificator.h"
#include "core/CCodeTable.h"
#include "core/ClassList.h"
#include "core/NumberFormat.h"
#include "genome/ContrastWindowScorer.h"
#include "genome/FastaIndex.h"

namespace motifora {

namespace {

char upper(int letter) {
    return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A')
                                          : static_cast<char>(letter);
}

char complementOf(char letter) {
    switch (letter) {
        case 'A':
            return 'T';
        case 'C':
            return 'G';
        case 'G':
            return 'C';
        case 'T':
            return 'A';
        default:
            return 0;
    }
}

// The chosen records of an indexed FASTA file, read piece by piece through the index.
class IndexedSource {
  public:
    IndexedSource(faidx_t* index, std::string path, const std::vector<std::string>& names)
        : index_(index), path_(std::move(path)) {
        const std::set<std::string> wanted(names.begin(), names.end());
        for (int i = 0; i < faidx_nseq(index_); ++i) {
            const char* name = faidx_iseq(index_, i);
            if (wanted.count(name) != 0) order_.push_back(i);
        }
    }
    ~IndexedSource() { fai_destroy(index_); }
    IndexedSource(const IndexedSource&) = delete;
    IndexedSource& operator=(const IndexedSource&) = delete;

    bool NextRecord(FastaRecord& record) {
        if (next_ >= order_.size()) return false;
        const int i = order_[next_++];
        record = FastaRecord();
        record.name = faidx_iseq(index_, i);
        record.description = record.name;
        record.number = i + 1;
        length_ = faidx_seq_len(index_, record.name.c_str());
        name_ = record.name;
        at_ = 0;
        return true;
    }
    size_t ReadLetters(std::string& out, size_t limit) {
        if (at_ >= length_ || limit == 0) return 0;
        const int64_t end = std::min<int64_t>(length_, at_ + static_cast<int64_t>(limit));
        hts_pos_t got = 0;
        char* letters = faidx_fetch_seq64(index_, name_.c_str(), at_, end - 1, &got);
        if (letters == nullptr || got != end - at_) {
            std::free(letters);
            error_ = path_ + ": record " + name_ + " could not be read through its index";
            at_ = length_;
            return 0;
        }
        for (hts_pos_t i = 0; i < got; ++i) out.push_back(upper(static_cast<uint8_t>(letters[i])));
        std::free(letters);
        at_ = end;
        return static_cast<size_t>(got);
    }
    const std::string& Error() const { return error_; }
    const std::string& Path() const { return path_; }

  private:
    faidx_t* index_;
    std::string path_;
    std::vector<int> order_;
    size_t next_ = 0;
    std::string name_;
    int64_t length_ = 0;
    int64_t at_ = 0;
    std::string error_;
};

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool parseClassList(const std::string& text, std::vector<int32_t>& classes) {
    std::vector<ClassRange> ranges;
    if (!readClassList(text, ranges)) return false;
    for (const ClassRange& r : ranges)
        if (r.last > kMostScanClasses) return false;
    // A class named twice is taken once, where it is first named.
    std::unordered_set<int32_t> taken(classes.begin(), classes.end());
    for (const int32_t index : classIndexes(ranges, kMostScanClasses))
        if (taken.insert(index).second) classes.push_back(index);
    return !classes.empty();
}

bool parseScanLevel(std::string text, double& level) {
    return NumberFormat::readEitherSeparator(text, level);
}

namespace {

// Windows per stretch a scoring thread takes at a time (a multiple of 64, the scorers' block).
constexpr size_t kStretchWindows = size_t{1} << 14;
// Pieces read ahead of the one being reported: enough to keep every scoring thread busy while
// one piece is reported and the next is read.
constexpr size_t kPiecesInFlight = 3;

}  // namespace

// A stretch of a piece's windows, scored by one thread: the forward windows [from, to) and the
// reverse ones over the same letters.
struct GenomeScanner::Chunk {
    size_t from = 0;
    size_t to = 0;
    std::vector<ScanHit> hits;  // the windows reaching the level, in report order
    int64_t windows = 0;        // scored
    int64_t skipped = 0;
    bool stopped = false;
    std::unique_ptr<ScanPrepared> prepared;
};

struct GenomeScanner::Piece {
    std::shared_ptr<const FastaRecord> record;
    std::vector<uint8_t> codes;  // the letters of the piece, as codes
    size_t count = 0;            // windows of the piece (0: letters too few for a window yet)
    int64_t first = 0;           // record position of the first window
    int64_t letters = 0;         // letters read with this piece
    std::vector<double> best;
    std::vector<uint8_t> bestValid;
    std::vector<Chunk> chunks;
    size_t left = 0;  // chunks not scored yet, under the flow's mutex
};

// What the reading thread hands the reporting thread, in file order.
struct GenomeScanner::Event {
    enum class Kind { RecordStart, Piece, RecordEnd, Refused, End };
    Kind kind = Kind::End;
    std::shared_ptr<const FastaRecord> record;
    std::unique_ptr<Piece> piece;
    int64_t letters = 0;  // RecordEnd: of the record
    std::string error;    // Refused: why; End: the source's failure, if any
    int64_t records = 0;  // End: records in the file
    std::string missing;  // End: a chosen record not found
};

// The reading, scoring and reporting threads' meeting point.
struct GenomeScanner::Flow {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Event> events;
    std::deque<std::pair<Piece*, size_t>> tasks;  // chunks to score
    std::vector<std::unique_ptr<Piece>> spare;    // reported pieces, kept for their memory
    size_t inFlight = 0;                          // pieces read and not reported
    bool ending = false;                          // the reporter is done: everyone stops
    // The event being reported; kept here so that a piece left when the reporter stops early
    // lives as long as the threads that may still score it.
    Event current;
};

// A scoring thread's working memory.
struct GenomeScanner::Worker {
    ScorerScratch scratch;
    std::vector<uint8_t> reverse;  // the reverse complement of a chunk's letters
    std::vector<std::vector<double>> scores;
    std::vector<std::vector<uint8_t>> valid;
};

bool GenomeScanner::Prepare(Classificator& classificator, const CCodeTable& table,
                            const ScanSettings& settings, std::string& error) {
    settings_ = settings;
    settings_.threads = std::max<int32_t>(settings_.threads, 1);
    settings_.pieceLetters = std::max<size_t>(settings_.pieceLetters, 64);
    settings_.discriminative = false;
    scorers_.clear();
    totals_ = ScanTotals();
    if (settings_.classes.empty()) {
        error = "no class was chosen (the model holds " +
                std::to_string(classificator.idealObjectCount) + " classes)";
        return false;
    }
    if (classificator.alphabetSize > kMaxScanAlphabet) {
        error = "the model's alphabet has " + std::to_string(classificator.alphabetSize) +
                " letters; a scan takes at most " + std::to_string(kMaxScanAlphabet);
        return false;
    }
    for (const int32_t k : settings_.classes) {
        auto scorer = std::make_unique<ClassScorer>();
        if (!scorer->Build(classificator, k)) {
            error = "class " + std::to_string(k + 1) + " does not exist (the model holds " +
                    std::to_string(classificator.idealObjectCount) + " classes)";
            return false;
        }
        scorers_.push_back(std::move(scorer));
    }
    width_ = scorers_.front()->Width();
    return prepareCodes(table, classificator.alphabetSize, error);
}

bool GenomeScanner::PrepareDiscriminative(std::shared_ptr<const ContrastScorer> scorer,
                                          const ScanSettings& settings, std::string& error) {
    settings_ = settings;
    settings_.threads = std::max<int32_t>(settings_.threads, 1);
    settings_.pieceLetters = std::max<size_t>(settings_.pieceLetters, 64);
    settings_.classes = {0};
    settings_.discriminative = true;
    scorers_.clear();
    totals_ = ScanTotals();
    const CCodeTable table = scorer->rules.letters;
    const int32_t letters = table.size();
    auto windows = std::make_unique<ContrastWindowScorer>(std::move(scorer));
    if (windows->Width() <= 0) {
        error = letters > kMaxScanAlphabet
                    ? "the discriminative rules' alphabet has " + std::to_string(letters) +
                          " letters; a scan takes at most " + std::to_string(kMaxScanAlphabet)
                    : std::string("the discriminative rules have no positions to scan with");
        return false;
    }
    width_ = windows->Width();
    scorers_.push_back(std::move(windows));
    return prepareCodes(table, letters, error);
}

bool GenomeScanner::prepareCodes(const CCodeTable& table, int32_t letters, std::string& error) {
    for (int b = 0; b < 256; ++b) {
        const int32_t code = table.codeOf(static_cast<unsigned char>(b));
        codeOfByte_[b] = code >= 0 && code < letters ? static_cast<uint8_t>(code) : kNoLetter;
        complement_[b] = kNoLetter;
    }
    if (settings_.bothStrands) {
        std::string alphabet;
        bool nucleotides = true;
        for (int32_t code = 0; code < letters; ++code) {
            const char letter = upper(table.letterOf(code));
            alphabet.push_back(letter);
            nucleotides = nucleotides && complementOf(letter) != 0;
        }
        if (!nucleotides) {
            error =
                "both strands need a model over the letters A, C, G and T (the reverse "
                "complement is read with them); this model's alphabet is \"" +
                alphabet + "\"";
            return false;
        }
        for (int32_t code = 0; code < letters; ++code) {
            const char other = complementOf(upper(table.letterOf(code)));
            complement_[code] = codeOfByte_[static_cast<unsigned char>(other)];
        }
    }
    open_.assign(scorers_.size() * 2, ScanHit());
    return true;
}

bool GenomeScanner::Scan(const std::string& path, ScanSink& sink, std::string& error) {
    totals_ = ScanTotals();
    if (scorers_.empty()) {
        error = "the scan was not prepared";
        return false;
    }
    if (!settings_.records.empty() && fileExists(path + ".fai")) {
        // An index that does not describe the file is not used: the file is read from its start.
        const std::string problem = checkFastaIndex(path, path + ".fai");
        faidx_t* index = problem.empty() ? fai_load3(path.c_str(), nullptr, nullptr, 0) : nullptr;
        if (index != nullptr) {
            IndexedSource source(index, path, settings_.records);
            return scanRecords(source, sink, error);
        }
        sink.notice((problem.empty() ? path + ".fai: htslib cannot load it" : problem) +
                    "; the records are looked for by reading the whole file");
    }
    FastaReader reader;
    reader.SetPipeWait(std::chrono::seconds(10), settings_.stop);
    if (!reader.Open(path)) {
        error = reader.Error();
        return false;
    }
    return scanRecords(reader, sink, error);
}

template <typename Source>
bool GenomeScanner::scanRecords(Source& source, ScanSink& sink, std::string& error) {
    Flow flow;
    std::vector<Worker> workers(static_cast<size_t>(settings_.threads));
    // Ends the reading and scoring threads however the reporting ends (a sink may throw).
    struct Threads {
        Flow& flow;
        std::vector<std::thread> running;
        ~Threads() {
            {
                std::lock_guard<std::mutex> lock(flow.mutex);
                flow.ending = true;
            }
            flow.changed.notify_all();
            for (std::thread& thread : running) thread.join();
        }
    } threads{flow, {}};
    threads.running.emplace_back([&] { readRecords(source, flow); });
    for (Worker& worker : workers)
        threads.running.emplace_back([&, w = &worker] { scoreStretches(flow, *w, sink); });
    return report(flow, sink, source.Path(), error);
}

template <typename Source>
void GenomeScanner::readRecords(Source& source, Flow& flow) {
    // False when the reporter is done and wants nothing more.
    const auto send = [&flow](Event event) {
        std::lock_guard<std::mutex> lock(flow.mutex);
        if (flow.ending) return false;
        if (event.piece) ++flow.inFlight;
        flow.events.push_back(std::move(event));
        flow.changed.notify_all();
        return true;
    };
    const std::set<std::string> wanted(settings_.records.begin(), settings_.records.end());
    std::set<std::string> found;
    // Every record's name and number, to refuse a name given twice: BED, bedGraph and --record
    // address records by name.
    std::map<std::string, int64_t> seen;
    FastaRecord record;
    int64_t records = 0;
    const size_t keep = static_cast<size_t>(width_) - 1;
    std::string text;
    std::vector<uint8_t> carried;  // the last letters of a piece, the next one's first
    while (source.NextRecord(record)) {
        ++records;
        const auto [earlier, fresh] = seen.emplace(record.name, record.number);
        if (!fresh) {
            Event refused;
            refused.kind = Event::Kind::Refused;
            refused.error =
                source.Path() + ": record " + std::to_string(record.number) +
                (record.headerLine > 0 ? " (line " + std::to_string(record.headerLine) + ")"
                                       : std::string()) +
                " has the name \"" + record.name + "\" of record " +
                std::to_string(earlier->second) +
                "; records are told apart by name (in BED, bedGraph and --record), so each name "
                "may be given once";
            send(std::move(refused));
            return;
        }
        if (!wanted.empty() && wanted.count(record.name) == 0) continue;
        found.insert(record.name);
        auto shared = std::make_shared<const FastaRecord>(record);
        Event started;
        started.kind = Event::Kind::RecordStart;
        started.record = shared;
        if (!send(std::move(started))) return;
        carried.clear();
        int64_t first = 0;  // record position of carried[0]
        int64_t letters = 0;
        for (;;) {
            if (stopped()) {
                send(Event());  // the reporter finds the scan stopped
                return;
            }
            text.clear();
            const size_t got = source.ReadLetters(text, settings_.pieceLetters);
            if (got == 0) break;
            letters += static_cast<int64_t>(got);
            std::unique_ptr<Piece> piece;
            {
                std::unique_lock<std::mutex> lock(flow.mutex);
                flow.changed.wait(lock,
                                  [&] { return flow.inFlight < kPiecesInFlight || flow.ending; });
                if (flow.ending) return;
                if (!flow.spare.empty()) {
                    piece = std::move(flow.spare.back());
                    flow.spare.pop_back();
                }
            }
            if (!piece) piece = std::make_unique<Piece>();
            piece->record = shared;
            piece->letters = static_cast<int64_t>(got);
            piece->codes.swap(carried);
            for (const char c : text) piece->codes.push_back(codeOfByte_[static_cast<uint8_t>(c)]);
            carried.clear();
            piece->count = 0;
            piece->first = first;
            if (piece->codes.size() > keep) {
                const size_t count = piece->codes.size() - keep;
                piece->count = count;
                carried.assign(piece->codes.begin() + static_cast<std::ptrdiff_t>(count),
                               piece->codes.end());
                first += static_cast<int64_t>(count);
                piece->best.resize(count);
                piece->bestValid.resize(count);
                const size_t chunks = (count + kStretchWindows - 1) / kStretchWindows;
                piece->chunks.resize(chunks);
                for (size_t i = 0; i < chunks; ++i) {
                    Chunk& chunk = piece->chunks[i];
                    chunk.from = i * kStretchWindows;
                    chunk.to = std::min(count, chunk.from + kStretchWindows);
                }
            } else {
                carried.swap(piece->codes);
                piece->chunks.clear();
            }
            piece->left = piece->chunks.size();
            Piece* scored = piece.get();
            Event read;
            read.kind = Event::Kind::Piece;
            read.piece = std::move(piece);
            std::lock_guard<std::mutex> lock(flow.mutex);
            if (flow.ending) return;
            for (size_t i = 0; i < scored->chunks.size(); ++i) flow.tasks.emplace_back(scored, i);
            ++flow.inFlight;
            flow.events.push_back(std::move(read));
            flow.changed.notify_all();
        }
        if (!source.Error().empty()) break;
        Event ended;
        ended.kind = Event::Kind::RecordEnd;
        ended.record = shared;
        ended.letters = letters;
        if (!send(std::move(ended))) return;
    }
    Event end;
    end.error = source.Error();
    end.records = records;
    for (const std::string& name : wanted) {
        if (found.count(name) == 0) {
            end.missing = name;
            break;
        }
    }
    send(std::move(end));
}

void GenomeScanner::scoreStretches(Flow& flow, Worker& worker, const ScanSink& sink) {
    std::unique_lock<std::mutex> lock(flow.mutex);
    for (;;) {
        flow.changed.wait(lock, [&] { return !flow.tasks.empty() || flow.ending; });
        if (flow.ending) return;
        auto [piece, index] = flow.tasks.front();
        flow.tasks.pop_front();
        lock.unlock();
        scoreChunk(*piece, piece->chunks[index], worker, sink);
        lock.lock();
        if (--piece->left == 0) flow.changed.notify_all();
    }
}

void GenomeScanner::scoreChunk(Piece& piece, Chunk& chunk, Worker& worker, const ScanSink& sink) {
    const size_t strands = settings_.bothStrands ? 2 : 1;
    const size_t lists = scorers_.size() * strands;
    const size_t count = chunk.to - chunk.from;
    const size_t keep = static_cast<size_t>(width_) - 1;
    chunk.hits.clear();
    chunk.windows = 0;
    chunk.skipped = 0;
    chunk.stopped = false;
    chunk.prepared.reset();
    // A chunk taken after a stop is not begun.
    if (stopped()) {
        chunk.stopped = true;
        return;
    }
    worker.scores.resize(lists);
    worker.valid.resize(lists);
    for (size_t i = 0; i < lists; ++i) {
        worker.scores[i].resize(count);
        worker.valid[i].resize(count);
    }
    const uint8_t* codes = piece.codes.data() + chunk.from;
    if (settings_.bothStrands) {
        // The reverse windows over the same letters as the chunk's forward ones: reverse window
        // i covers the letters of forward window count - 1 - i.
        const size_t n = count + keep;
        worker.reverse.resize(n);
        for (size_t i = 0; i < n; ++i) worker.reverse[i] = complement_[codes[n - 1 - i]];
    }
    for (size_t c = 0; c < scorers_.size(); ++c) {
        for (size_t s = 0; s < strands; ++s) {
            // Checked per class and strand, so that a scan of many classes stops within a
            // fraction of a second.
            if (settings_.onScoringStep) settings_.onScoringStep();
            if (stopped()) {
                chunk.stopped = true;
                return;
            }
            const size_t list = c * strands + s;
            scorers_[c]->Score(s == 0 ? codes : worker.reverse.data(), count,
                               worker.scores[list].data(), worker.valid[list].data(),
                               worker.scratch);
        }
    }
    const auto width = static_cast<int64_t>(width_);
    const int64_t first = piece.first + static_cast<int64_t>(chunk.from);
    double* bests = piece.best.data() + chunk.from;
    uint8_t* bestValid = piece.bestValid.data() + chunk.from;
    for (size_t j = 0; j < count; ++j) {
        const int64_t start = first + static_cast<int64_t>(j);
        bool any = false;
        double best = 0.0;
        for (size_t c = 0; c < scorers_.size(); ++c) {
            for (size_t s = 0; s < strands; ++s) {
                const size_t at = s == 0 ? j : count - 1 - j;
                const size_t list = c * strands + s;
                if (worker.valid[list][at] == 0) continue;
                const double score = worker.scores[list][at];
                if (!any || score > best || std::isnan(best)) best = score;
                any = true;
                if (!settings_.hits || !(score >= settings_.level)) continue;
                chunk.hits.push_back(
                    {start, start + width, static_cast<int32_t>(c), s == 0 ? '+' : '-', score});
            }
        }
        bests[j] = best;
        bestValid[j] = any ? 1 : 0;
        if (any)
            ++chunk.windows;
        else
            ++chunk.skipped;
    }
    const ScanStretch stretch{
        *piece.record,
        first,
        {bests, count},
        {bestValid, count},
        settings_.merge ? std::span<const ScanHit>() : std::span<const ScanHit>(chunk.hits),
        settings_.merge};
    chunk.prepared = sink.prepare(stretch);
}

bool GenomeScanner::report(Flow& flow, ScanSink& sink, const std::string& path,
                           std::string& error) {
    const auto next = [&flow]() -> Event& {
        std::unique_lock<std::mutex> lock(flow.mutex);
        flow.changed.wait(lock, [&] { return !flow.events.empty(); });
        flow.current = std::move(flow.events.front());
        flow.events.pop_front();
        return flow.current;
    };
    // The checks made before each piece is read and before a record's end.
    const auto goOn = [&] { return !stopped() && sink.Failure().empty(); };
    Event end;
    for (bool reading = true; reading;) {
        Event& event = next();
        switch (event.kind) {
            case Event::Kind::RecordStart:
                sink.recordStart(*event.record);
                ++totals_.records;
                break;
            case Event::Kind::Piece: {
                if (!goOn()) {
                    reading = false;
                    break;
                }
                Piece& piece = *event.piece;
                {
                    std::unique_lock<std::mutex> lock(flow.mutex);
                    flow.changed.wait(lock, [&] { return piece.left == 0; });
                }
                totals_.letters += piece.letters;
                if (piece.count > 0) {
                    // A piece stopped while being scored is not reported.
                    bool whole = !stopped();
                    for (const Chunk& chunk : piece.chunks) whole = whole && !chunk.stopped;
                    if (!whole) {
                        reading = false;
                        break;
                    }
                    const FastaRecord& record = *piece.record;
                    for (Chunk& chunk : piece.chunks) {
                        if (chunk.prepared) sink.take(record, std::move(chunk.prepared));
                        totals_.windows += chunk.windows;
                        totals_.skippedWindows += chunk.skipped;
                        for (const ScanHit& hit : chunk.hits) {
                            if (settings_.merge) {
                                mergeHit(hit);
                                continue;
                            }
                            ++totals_.hits;
                            sink.hit(record, hit);
                        }
                    }
                    sink.windows(record, piece.first, {piece.best.data(), piece.count},
                                 {piece.bestValid.data(), piece.count});
                }
                sink.progress(totals_);
                std::lock_guard<std::mutex> lock(flow.mutex);
                --flow.inFlight;
                flow.spare.push_back(std::move(event.piece));
                flow.changed.notify_all();
                break;
            }
            case Event::Kind::RecordEnd:
                if (!goOn()) {
                    reading = false;
                    break;
                }
                flushMerged(*event.record, sink);
                sink.recordEnd(*event.record, event.letters);
                if (stopped()) {
                    error = "the scan was stopped";
                    return false;
                }
                break;
            case Event::Kind::Refused:
                error = event.error;
                return false;
            case Event::Kind::End:
                end = std::move(event);
                reading = false;
                break;
        }
    }
    if (!end.error.empty()) {
        error = end.error;
        return false;
    }
    if (const std::string failure = sink.Failure(); !failure.empty()) {
        error = failure;
        return false;
    }
    if (stopped()) {
        error = "the scan was stopped";
        return false;
    }
    const bool chosen = !settings_.records.empty();
    if (end.records == 0 && !chosen) {
        error = path + ": no FASTA records (no line beginning with '>')";
        return false;
    }
    if (!end.missing.empty()) {
        error = "no record named \"" + end.missing + "\" in the genome file";
        return false;
    }
    if (totals_.letters == 0) {
        error = path +
                (chosen ? ": the chosen records hold no letters" : ": the records hold no letters");
        return false;
    }
    return true;
}

bool GenomeScanner::stopped() const { return settings_.stop != nullptr && settings_.stop->load(); }

void GenomeScanner::mergeHit(const ScanHit& hit) {
    ScanHit& open = open_[static_cast<size_t>(hit.classOrder) * 2 + (hit.strand == '+' ? 0 : 1)];
    if (open.end > open.start && hit.start < open.end) {
        open.end = hit.end;
        if (hit.score > open.score) open.score = hit.score;
    } else {
        if (open.end > open.start) merged_.push_back(open);
        open = hit;
    }
}

void GenomeScanner::flushMerged(const FastaRecord& record, ScanSink& sink) {
    for (ScanHit& open : open_) {
        if (open.end > open.start) merged_.push_back(open);
        open = ScanHit();
    }
    std::sort(merged_.begin(), merged_.end(), [](const ScanHit& a, const ScanHit& b) {
        if (a.start != b.start) return a.start < b.start;
        if (a.end != b.end) return a.end < b.end;
        if (a.classOrder != b.classOrder) return a.classOrder < b.classOrder;
        return a.strand < b.strand;  // '+' before '-'
    });
    for (const ScanHit& hit : merged_) {
        ++totals_.hits;
        sink.hit(record, hit);
    }
    merged_.clear();
}

}  // namespace motifora
