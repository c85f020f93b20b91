// The one door for sample files: ".seq" or FASTA, either of them maybe gzip-compressed, judged
// by what the file holds rather than by its name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/FileManager.h"
#include "core/Sequence.h"
#include "core/Status.h"

namespace motifora {

enum class SampleFormat { Seq, Fasta };

// What the reading of a sample file found beside its records.
struct SampleRead {
    SampleFormat format = SampleFormat::Seq;
    bool compressed = false;  // gzip or bgzip, told by the magic bytes
    // The reader's notes (".seq" only): ignored lines, cut names and letters, a cut-short end.
    std::vector<std::string> warnings;
    // ".seq" records whose letters were cut to their first kSeqFieldLimit, and how many letters
    // the longest of them had in the file (FASTA keeps whole records: always 0 there).
    int cutRecords = 0;
    size_t longestCut = 0;
};

// The format of a sample whose first (decompressed) bytes are `head`: the first line that begins
// with ">" decides. A header holding ";" (">name;letters") is ".seq"; one without is FASTA, whose
// letters stand on the lines below. A FASTA name (`isFastaPath`) keeps a header with ";" FASTA;
// with no header in the head at all the name decides (FASTA names FASTA, anything else ".seq",
// whose reader says what is missing).
SampleFormat sampleFormatOf(std::string_view head, std::string_view path);

// Reads the sample file `path` into `records` (replaced) by the reader its content calls for
// (readSeqFile's rules for ".seq", readFastaSample's for FASTA, gzip decompressed first). As
// the ".seq" reader's rule has it, ".seq" records are read only from a file named ".seq" (or
// ".seq.gz"); FASTA is read whatever the name. A path
// that is not a regular file is refused by the reader its name calls for, with that reader's
// words. A failure leaves `records` empty and says which file, which record or line and what
// is wrong; binary data (a program, an archive) is refused as such. `read`, when given,
// receives the format and the notes of a success.
Status readSampleFile(const std::string& path, std::vector<Sequence>& records,
                      SampleRead* read = nullptr, uint64_t maxBytes = kSeqMaxFileBytes);

}  // namespace motifora
