// Reading of ".seq" sequence files: the byte-level reader and the file-level FileManager.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "core/Sequence.h"
#include "core/Status.h"

namespace motifora {

// Longest name or letter run kept from a sequence file; further characters are dropped.
inline constexpr int kSeqFieldLimit = 1023;
// Largest sequence file read; a larger one is refused before anything is allocated.
inline constexpr uint64_t kSeqMaxFileBytes = uint64_t{1} << 30;
// Size of the line buffer the record count reads with (so at most 1022 bytes per read).
inline constexpr int kSeqLineBuffer = 1023;

// The outcome of reading a sequence file or buffer.
struct SeqReadResult {
    int count = 0;  // records stored, or -1 on a format error
    // On a format error what is wrong, for the user, with the 1-based line and record of the
    // fault (0 when none or not tied to one); success otherwise.
    Status status;
    // What the user may want to know of a file that was read: lines before the first ">"
    // that were ignored, names or sequences cut at 1023 characters, a file that ends inside a
    // line with its last record shorter than the one before (cut short?).
    std::vector<std::string> warnings;
    // Records whose letters were cut to their first kSeqFieldLimit, and the number of letters
    // the longest of them had in the file.
    int cutRecords = 0;
    size_t longestCut = 0;

    bool ok() const { return count >= 0; }
};

// Number of records a buffer holds as the record count sees it: the buffer is read in pieces
// the way a C line read into a 1023-byte buffer reads a file (a piece ends after a line feed
// or after 1022 bytes), and the pieces whose first byte is ">" are counted. Never fails.
int countSeqRecords(std::string_view bytes);

// Parses sequence-file bytes into records[0], records[1], ... (at most `capacity` records).
// Characters before the first ">" belong to no record and are skipped (with a warning).
// Returns the number of records stored, or count -1 with the status saying what and where when
// the bytes break the format: an empty name (">" followed by ";", or a name of characters that
// are all dropped), a record without letters, a first record without ";", a ">" that is not the
// first character of its line, or more records than `capacity`. On failure the records stored
// so far stay assigned; the caller discards them. A null `records` with a positive capacity is
// treated as capacity 0.
SeqReadResult parseSeqBuffer(std::string_view bytes, Sequence* records, int capacity);

// Reads, counts and parses a whole ".seq" file into `records` (replaced). Succeeds when the
// file holds at least one record. On failure leaves `records` empty and says in the status's
// message which file, which record or line and what is wrong. Fails too when the
// extension is not ".seq" (any case; judged before anything is read), when the file is not a
// regular file (a folder, device, pipe or socket) or larger than kSeqMaxFileBytes, cannot be
// opened or read, or holds no record (empty, only blanks or zero bytes, or no ">").
// `warnings`, when given, receives the reader's warnings; `outcome` the reader's outcome (how
// many records were cut and how long the longest was).
Status readSeqFile(const std::string& path, std::vector<Sequence>& records,
                   std::vector<std::string>* warnings = nullptr, SeqReadResult* outcome = nullptr);

// Parses the bytes of the sequence file `path` (already read, maybe decompressed) as readSeqFile
// does once it has them: the same refusals, the records and the warnings. `cut`, when given,
// receives the reader's outcome (how many records were cut and how long the longest was).
Status readSeqBytes(const std::string& path, std::string_view bytes, std::vector<Sequence>& records,
                    std::vector<std::string>* warnings = nullptr, SeqReadResult* cut = nullptr);

// Why `bytes` are not text at all, or empty when they may be: a program, an archive or other
// binary data is named by what it is ("an executable program", "a ZIP archive", "binary data").
// Text in UTF-16 and bytes that are all zero are left to the reader, which names them itself.
std::string binaryContentReason(std::string_view bytes);

// What kind of thing a stat mode that is not a regular file describes, for a refusal to read
// it: "a character device", "a block device", "a pipe", "a socket" or "not a regular file".
const char* fileKindOf(mode_t mode);

// True when the extension (from the last "." on) is ".seq" without regard to case.
bool isSeqExtension(std::string_view extension);

// Reads and writes the program's files. This class holds the sequence-file reading; the
// project file and the reports are written by the io module.
class FileManager {
  public:
    static constexpr int kReadSequences = 2;  // open mode: read a sequence file

    FileManager() = default;
    virtual ~FileManager();
    FileManager(const FileManager&) = delete;
    FileManager& operator=(const FileManager&) = delete;

    // Stores `mode`; with mode 2 opens the file for reading to see that it can be, keeps copies
    // of the name and its extension and closes it again. Returns false when the file cannot be
    // opened (or is a folder) or the mode is not one this class opens; errorText() says why.
    bool open(const std::string& name, int mode);
    // Number of lines beginning with ">" (see countSeqRecords), or -1 when the file cannot be
    // opened or read again. Remembered as the capacity readSequences will fill.
    int countRecords();
    // Parses the file into records[offset], records[offset + 1], ... Returns the number of
    // records read; -1 on a format error, a read failure or a null `records`; 0 without
    // reading when the extension is not ".seq". Never stores more records than the last
    // countRecords counted (counting now when it has not been called). errorText() tells why
    // on -1 and on the extension refusal.
    int readSequences(Sequence* records, int offset);
    // The same into an array known to hold `capacity` records from index 0.
    int readSequences(Sequence* records, int offset, int capacity);

    // Why the last failing operation failed, naming the file; empty after a success.
    const std::string& errorText() const { return error_; }
    // Full outcome of the last readSequences (line, record, warnings).
    const SeqReadResult& lastRead() const { return lastRead_; }

    std::FILE* stream = nullptr;  // open only inside an operation
    int mode = 0;
    std::string fileName;
    std::string extension;  // from the last "." on, the dot included; empty without a dot

  private:
    // Reads the whole file into `bytes`; false with error_ set when it cannot.
    bool slurp(std::string& bytes);
    void closeStream();

    int counted_ = -1;
    std::string error_;
    SeqReadResult lastRead_;
};

}  // namespace motifora
