// libFuzzer target for the FASTA index check: any genome bytes with any .fai beside them are
// checked without a fault, and an index the check accepts is read by htslib without a fault
// (htslib itself trusts the index: a line length of 0 made it divide by zero).
// The input is a two-byte length N (little-endian), then N bytes of FASTA, then the .fai.
#include <htslib/faidx.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "genome/FastaIndex.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

bool writeFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace motifora;
    if (size < 2) return 0;
    static const std::string path = "/tmp/motifora-fuzz-fai-" + std::to_string(::getpid()) + ".fa";
    const size_t split = std::min<size_t>(size - 2, data[0] | (size_t{data[1]} << 8));
    // The index is written second, so it is not older than the file.
    if (!writeFile(path, data + 2, split) ||
        !writeFile(path + ".fai", data + 2 + split, size - 2 - split))
        return 0;
    std::vector<FastaIndexEntry> entries;
    const std::string problem = checkFastaIndex(path, path + ".fai", &entries);
    check(problem.empty() == !entries.empty());
    if (problem.empty()) {
        faidx_t* index = fai_load3(path.c_str(), nullptr, nullptr, 0);
        if (index != nullptr) {
            for (const FastaIndexEntry& entry : entries) {
                if (entry.length == 0) continue;
                hts_pos_t got = 0;
                char* letters =
                    faidx_fetch_seq64(index, entry.name.c_str(), 0, entry.length - 1, &got);
                check(letters == nullptr || got <= entry.length);
                std::free(letters);
            }
            fai_destroy(index);
        }
    }
    ::unlink(path.c_str());
    ::unlink((path + ".fai").c_str());
    return 0;
}
