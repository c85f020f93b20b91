// libFuzzer target for the FASTA reader: any bytes (plain or compressed) are read without a
// fault, in pieces of varying size, and what it returns keeps the reader's promises.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "genome/FastaReader.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace motifora;
    static const std::string path = "/tmp/motifora-fuzz-fasta-" + std::to_string(::getpid());
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    FastaReader reader;
    if (!reader.Open(path)) {
        check(!reader.Error().empty());
        ::unlink(path.c_str());
        return 0;
    }
    FastaRecord record;
    int64_t records = 0;
    const size_t piece = size > 0 ? 1 + data[0] % 7 : 1;
    while (reader.NextRecord(record)) {
        check(record.number == ++records);
        check(!record.name.empty());
        check(record.name.find_first_of(" \t\r\n") == std::string::npos);
        std::string letters;
        size_t got = 0;
        while ((got = reader.ReadLetters(letters, piece)) != 0) check(got <= piece);
        for (const char c : letters) {
            const auto b = static_cast<unsigned char>(c);
            check(b >= 0x21 && b <= 0x7E && !(b >= 'a' && b <= 'z'));
        }
    }
    std::vector<Sequence> sample;
    const Status read = readFastaSample(path, sample);
    check(read.ok == read.message.empty());
    check(!read || !sample.empty());
    ::unlink(path.c_str());
    return 0;
}
