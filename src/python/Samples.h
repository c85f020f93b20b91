// Samples handed over from Python: a sample file (".seq" or FASTA, maybe gzipped) or a list of
// letter strings, read into the records a workspace loads.
#pragma once

#include <string>
#include <vector>

#include "core/Sequence.h"
#include "core/Status.h"

namespace motifora::python {

// A sample as the caller gave it: a file path, or letter strings (named "seq1", "seq2", ...).
struct SampleSource {
    bool isFile = true;
    std::string path;
    std::vector<std::string> letters;

    // How messages name the sample: the path, or "the sequence list" (`role` says which).
    std::string name(const std::string& role) const;
};

// Reads a ".seq" or FASTA file (told apart by its content, readSampleFile) as the window loads a
// sample. A failure names the file, the record or line, and what is wrong; `records` is then
// empty.
Status readSampleFile(const std::string& path, std::vector<Sequence>& records,
                      std::vector<std::string>* warnings = nullptr);

// Turns letter strings into records named "seq1", "seq2", ... starting at position 1. Fails,
// naming `source`, the 1-based sequence and the character, on an empty list, an empty string or
// a character that a sample file could not hold as a letter (a blank, a control character, ">"
// or ";").
Status recordsFromLetters(const std::vector<std::string>& letters, const std::string& source,
                          std::vector<Sequence>& records);

// Either of the two above, as `sample` says.
Status readSample(const SampleSource& sample, const std::string& role,
                  std::vector<Sequence>& records);

}  // namespace motifora::python
