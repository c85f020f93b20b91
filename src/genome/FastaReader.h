// Streaming FASTA reading (plain or gzip-compressed) through htslib: record headers and letters
// in pieces of a chosen size, so that a record of any length never has to be held whole.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileManager.h"
#include "core/Sequence.h"
#include "core/Status.h"

namespace motifora {

// True when the file name ends in .fa, .fasta, .fna or .fas, with or without .gz (any case).
bool isFastaPath(std::string_view path);

// One record header: the name is the header's first word (what BED and genome browsers call
// the record), the description the whole header line after ">".
struct FastaRecord {
    std::string name;
    std::string description;
    int64_t headerLine = 0;  // 1-based line of the header
    int64_t number = 0;      // 1-based record number in the file
};

// Reads one FASTA file front to back. Lines end in LF or CR LF; blank lines and spaces or tabs
// inside sequence lines are skipped; letters are returned in upper case (soft-masked lower case
// is the same letter); every other printable character (N, ambiguity letters, gaps ...) is kept
// as a letter for the caller to judge. A failure (unreadable file, letters before the first
// header, a header without a name, a control or non-ASCII byte, a CR not followed by LF, a bgzip
// file cut short) stops the reading; Error() then names the file, the line and the fault.
class FastaReader {
  public:
    FastaReader();
    ~FastaReader();
    FastaReader(const FastaReader&) = delete;
    FastaReader& operator=(const FastaReader&) = delete;

    // Opens `path` (compression detected from the contents). False with Error() set when it
    // cannot be opened.
    bool Open(const std::string& path);
    // Moves to the next record, skipping what is left of the current one. False at the end of
    // the file or on a failure (Error() not empty then).
    bool NextRecord(FastaRecord& record);
    // Appends at most `limit` letters of the current record to `out`. Returns the number
    // appended: fewer than `limit` only at the end of the record (0 once it has ended) or on a
    // failure (Error() not empty then).
    size_t ReadLetters(std::string& out, size_t limit);

    // How long Open waits for the first bytes of a named pipe, and a flag that ends the wait
    // early (default 10 seconds, no flag). A pipe that brings nothing in that time is refused.
    void SetPipeWait(std::chrono::milliseconds wait, const std::atomic<bool>* stop = nullptr) {
        pipeWait_ = wait;
        pipeStop_ = stop;
    }

    const std::string& Error() const { return error_; }
    // The line Error() speaks of, or 0 when it is not tied to one (opening, decompressing).
    int64_t ErrorLine() const { return errorLine_; }
    const std::string& Path() const { return path_; }
    // Bytes taken from the file so far, after decompression.
    uint64_t BytesRead() const { return bytesRead_; }

  private:
    // The next byte without taking it; -1 at the end of the file or on a read failure.
    int peek();
    bool fill();
    bool awaitWriter(int fd);
    // Takes a CR at the current position; false (with the failure) when no LF follows.
    bool takeCarriageReturn();
    void fail(const std::string& what);
    void failHere(const std::string& what);

    struct Handle;
    std::unique_ptr<Handle> handle_;
    std::string path_;
    std::string error_;
    int64_t errorLine_ = 0;
    std::vector<char> buffer_;
    size_t at_ = 0;
    size_t end_ = 0;
    bool eof_ = false;
    bool lineStart_ = true;
    bool inRecord_ = false;
    int64_t line_ = 1;
    int64_t records_ = 0;
    uint64_t bytesRead_ = 0;
    std::chrono::milliseconds pipeWait_{10'000};
    const std::atomic<bool>* pipeStop_ = nullptr;
};

// The longest header line FastaReader takes; a longer one is refused. (A record's name, part
// of it, then always fits a project.)
inline constexpr size_t kFastaMaxHeader = static_cast<size_t>(kMaxRecordText);

// Reads a whole FASTA file into sample records (name: the header's first word; description: the
// whole header where it holds more, its tabs and other control characters read as spaces;
// letters in upper case; start position 1). On a failure the status names the file, record or line
// and what is wrong: the reader's failures, a file without records, a record without letters; a
// name that holds a control character (a zero byte, an escape ...); a header (so a name) longer
// than kFastaMaxHeader or a record longer than kMaxRecordText (a project keeps no more); a file
// that is not a regular file (a pipe or a device may never end, and opening a pipe waits for a
// writer), or one larger than `maxBytes` on the disk or once decompressed (a sample is held whole
// in memory).
Status readFastaSample(const std::string& path, std::vector<Sequence>& records,
                       uint64_t maxBytes = kSeqMaxFileBytes);

}  // namespace motifora
