// The genome scan: pieces of each record coded once, scored per class and strand by several
// threads, then reported window by window in order.
#include "genome/GenomeScan.h"

#include <htslib/faidx.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
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

struct GenomeScanner::Piece {
    std::vector<uint8_t> codes;    // the letters of the piece, as codes
    std::vector<uint8_t> reverse;  // their reverse complement
    size_t count = 0;              // windows of the piece
    int64_t first = 0;             // record position of the first window
    // Per class and strand (class order major, '+' then '-'), per window.
    std::vector<std::vector<double>> scores;
    std::vector<std::vector<uint8_t>> valid;
    std::vector<double> best;
    std::vector<uint8_t> bestValid;
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
    scratch_.assign(static_cast<size_t>(settings_.threads), ScorerScratch());
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
    const std::set<std::string> wanted(settings_.records.begin(), settings_.records.end());
    std::set<std::string> found;
    // Every record's name, to refuse a name given twice: BED, bedGraph and --record address
    // records by name.
    std::map<std::string, FastaRecord> seen;
    FastaRecord record;
    int64_t records = 0;
    while (source.NextRecord(record)) {
        ++records;
        const auto [earlier, fresh] = seen.emplace(record.name, record);
        if (!fresh) {
            error = source.Path() + ": record " + std::to_string(record.number) +
                    (record.headerLine > 0 ? " (line " + std::to_string(record.headerLine) + ")"
                                           : std::string()) +
                    " has the name \"" + record.name + "\" of record " +
                    std::to_string(earlier->second.number) +
                    "; records are told apart by name (in BED, bedGraph and --record), so each "
                    "name may be given once";
            return false;
        }
        if (!wanted.empty() && wanted.count(record.name) == 0) continue;
        found.insert(record.name);
        if (!scanRecord(source, record, sink)) break;
        if (stopped()) {
            error = "the scan was stopped";
            return false;
        }
    }
    if (!source.Error().empty()) {
        error = source.Error();
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
    if (records == 0 && wanted.empty()) {
        error = source.Path() + ": no FASTA records (no line beginning with '>')";
        return false;
    }
    for (const std::string& name : wanted) {
        if (found.count(name) == 0) {
            error = "no record named \"" + name + "\" in the genome file";
            return false;
        }
    }
    if (totals_.letters == 0) {
        error = source.Path() + (wanted.empty() ? ": the records hold no letters"
                                                : ": the chosen records hold no letters");
        return false;
    }
    return true;
}

template <typename Source>
bool GenomeScanner::scanRecord(Source& source, const FastaRecord& record, ScanSink& sink) {
    sink.recordStart(record);
    ++totals_.records;
    Piece piece;
    const size_t keep = static_cast<size_t>(width_) - 1;
    int64_t first = 0;  // record position of piece.codes[0]
    int64_t letters = 0;
    std::string text;
    for (;;) {
        if (stopped() || !sink.Failure().empty()) return false;
        text.clear();
        const size_t got = source.ReadLetters(text, settings_.pieceLetters);
        if (got == 0) break;
        letters += static_cast<int64_t>(got);
        totals_.letters += static_cast<int64_t>(got);
        for (const char c : text) piece.codes.push_back(codeOfByte_[static_cast<uint8_t>(c)]);
        if (piece.codes.size() > keep) {
            piece.count = piece.codes.size() - keep;
            piece.first = first;
            // A piece stopped while being scored is not reported.
            if (!scorePiece(piece)) return false;
            reportPiece(record, piece, sink);
            piece.codes.erase(piece.codes.begin(),
                              piece.codes.begin() + static_cast<std::ptrdiff_t>(piece.count));
            first += static_cast<int64_t>(piece.count);
        }
        sink.progress(totals_);
    }
    if (!source.Error().empty()) return false;
    flushMerged(record, sink);
    sink.recordEnd(record, letters);
    return true;
}

bool GenomeScanner::stopped() const { return settings_.stop != nullptr && settings_.stop->load(); }

bool GenomeScanner::scorePiece(Piece& piece) {
    const size_t strands = settings_.bothStrands ? 2 : 1;
    const size_t lists = scorers_.size() * strands;
    piece.scores.resize(lists);
    piece.valid.resize(lists);
    for (size_t i = 0; i < lists; ++i) {
        piece.scores[i].resize(piece.count);
        piece.valid[i].resize(piece.count);
    }
    if (settings_.bothStrands) {
        const size_t n = piece.codes.size();
        piece.reverse.resize(n);
        for (size_t i = 0; i < n; ++i) piece.reverse[i] = complement_[piece.codes[n - 1 - i]];
    }
    // Contiguous runs of windows per thread, in whole blocks of 64.
    const auto threads = static_cast<size_t>(settings_.threads);
    const size_t blocks = (piece.count + 63) / 64;
    const size_t perThread = (blocks + threads - 1) / threads * 64;
    auto work = [&](size_t t) {
        const size_t from = t * perThread;
        if (from >= piece.count) return;
        const size_t count = std::min(perThread, piece.count - from);
        for (size_t c = 0; c < scorers_.size(); ++c) {
            for (size_t s = 0; s < strands; ++s) {
                // Checked per class and strand, so that a scan of many classes stops within a
                // fraction of a second.
                if (settings_.onScoringStep) settings_.onScoringStep();
                if (stopped()) return;
                const uint8_t* codes = s == 0 ? piece.codes.data() : piece.reverse.data();
                const size_t list = c * strands + s;
                scorers_[c]->Score(codes + from, count, piece.scores[list].data() + from,
                                   piece.valid[list].data() + from, scratch_[t]);
            }
        }
    };
    std::vector<std::thread> helpers;
    for (size_t t = 1; t < threads && t * perThread < piece.count; ++t)
        helpers.emplace_back(work, t);
    work(0);
    for (auto& helper : helpers) helper.join();
    return !stopped();
}

void GenomeScanner::reportPiece(const FastaRecord& record, Piece& piece, ScanSink& sink) {
    const size_t strands = settings_.bothStrands ? 2 : 1;
    const size_t count = piece.count;
    piece.best.assign(count, 0.0);
    piece.bestValid.assign(count, 0);
    const auto width = static_cast<int64_t>(width_);
    for (size_t j = 0; j < count; ++j) {
        const int64_t start = piece.first + static_cast<int64_t>(j);
        bool any = false;
        double best = 0.0;
        for (size_t c = 0; c < scorers_.size(); ++c) {
            for (size_t s = 0; s < strands; ++s) {
                // Reverse window i covers the same letters as forward window count - 1 - i.
                const size_t at = s == 0 ? j : count - 1 - j;
                const size_t list = c * strands + s;
                if (piece.valid[list][at] == 0) continue;
                const double score = piece.scores[list][at];
                if (!any || score > best || std::isnan(best)) best = score;
                any = true;
                if (!settings_.hits || !(score >= settings_.level)) continue;
                const char strand = s == 0 ? '+' : '-';
                if (!settings_.merge) {
                    ++totals_.hits;
                    sink.hit(record,
                             {start, start + width, static_cast<int32_t>(c), strand, score});
                    continue;
                }
                ScanHit& open = open_[c * 2 + s];
                if (open.end > open.start && start < open.end) {
                    open.end = start + width;
                    if (score > open.score) open.score = score;
                } else {
                    if (open.end > open.start) merged_.push_back(open);
                    open = {start, start + width, static_cast<int32_t>(c), strand, score};
                }
            }
        }
        piece.best[j] = best;
        piece.bestValid[j] = any ? 1 : 0;
        if (any)
            ++totals_.windows;
        else
            ++totals_.skippedWindows;
    }
    sink.windows(record, piece.first, piece.best, piece.bestValid);
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
