// The FASTA index (.fai) beside a genome file, checked before it is trusted: an index that does
// not describe the file (damaged, from another file, older than the file) would make a scan read
// the wrong letters, or make htslib divide by a line length of 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace motifora {

// One line of a .fai: NAME, LENGTH, OFFSET, LINEBASES, LINEWIDTH.
struct FastaIndexEntry {
    std::string name;
    int64_t length = 0;     // letters
    int64_t offset = 0;     // of the first letter in the (uncompressed) file
    int64_t lineBases = 0;  // letters per full line
    int64_t lineWidth = 0;  // bytes per full line, line end included
};

// Reads `indexPath` and checks it against `fastaPath`. Returns an empty string when the index
// can be used, else why not (naming the index, and the line of the index at fault). Checks: five
// fields of whole numbers per line, line lengths that hold letters, each name once, an index
// not older than the file, and, for an uncompressed file, that each record's header line stands
// just before its first letter, that its last letter ends a line within the file, and that
// nothing but blanks lies between the records listed (no record left out).
std::string checkFastaIndex(const std::string& fastaPath, const std::string& indexPath,
                            std::vector<FastaIndexEntry>* entries = nullptr);

}  // namespace motifora
