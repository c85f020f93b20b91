// Sample files by content: the first bytes (decompressed through htslib's BGZF, which reads
// plain, gzip and bgzip files alike) choose the ".seq" or the FASTA reader.
#include "genome/SampleFile.h"

#include <htslib/bgzf.h>
#include <sys/stat.h>

#include <memory>

#include "genome/FastaReader.h"

namespace motifora {

namespace {

// Enough of the file to hold its first header line in all but absurd cases.
constexpr size_t kHeadBytes = size_t{1} << 16;

struct BgzfCloser {
    void operator()(BGZF* file) const { bgzf_close(file); }
};
using BgzfFile = std::unique_ptr<BGZF, BgzfCloser>;

// Reads at most `limit` decompressed bytes of `file` into `bytes` (appended); -1 on a read
// failure, else the count appended.
int64_t readUpTo(BGZF* file, std::string& bytes, size_t limit) {
    const size_t start = bytes.size();
    bytes.resize(start + limit);
    size_t done = 0;
    while (done < limit) {
        const ssize_t got = bgzf_read(file, bytes.data() + start + done, limit - done);
        if (got < 0) {
            bytes.resize(start + done);
            return -1;
        }
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    bytes.resize(start + done);
    return static_cast<int64_t>(done);
}

// `path` without a final ".gz" (any case).
std::string_view withoutGz(std::string_view path) {
    if (path.size() >= 3) {
        const std::string_view tail = path.substr(path.size() - 3);
        if (tail[0] == '.' && (tail[1] | 0x20) == 'g' && (tail[2] | 0x20) == 'z')
            path.remove_suffix(3);
    }
    return path;
}

// The extension of `path` from its last "." on, or empty.
std::string_view extensionOf(std::string_view path) {
    const size_t dot = path.rfind('.');
    const size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    return path.substr(dot);
}

// The reader the name calls for, used where the content cannot be looked at (no regular file).
Status readByName(const std::string& path, std::vector<Sequence>& records, SampleRead* read,
                  uint64_t maxBytes) {
    if (isFastaPath(path)) {
        if (read != nullptr) read->format = SampleFormat::Fasta;
        return readFastaSample(path, records, maxBytes);
    }
    return readSeqFile(path, records, read != nullptr ? &read->warnings : nullptr);
}

}  // namespace

SampleFormat sampleFormatOf(std::string_view head, std::string_view path) {
    const bool fastaName = isFastaPath(path);
    size_t at = 0;
    while (at < head.size() && head[at] != '>') {
        const size_t end = head.find('\n', at);
        if (end == std::string_view::npos)
            return fastaName ? SampleFormat::Fasta : SampleFormat::Seq;
        at = end + 1;
    }
    if (at >= head.size()) return fastaName ? SampleFormat::Fasta : SampleFormat::Seq;
    const std::string_view header = head.substr(at, head.find('\n', at) - at);
    if (header.find(';') != std::string_view::npos && !fastaName) return SampleFormat::Seq;
    return SampleFormat::Fasta;
}

Status readSampleFile(const std::string& path, std::vector<Sequence>& records, SampleRead* read,
                      uint64_t maxBytes) {
    records.clear();
    if (read != nullptr) *read = SampleRead{};
    struct stat info {};
    // A pipe, a device, a folder or a missing file: the named reader refuses it in its words.
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return readByName(path, records, read, maxBytes);
    BgzfFile file(bgzf_open(path.c_str(), "r"));
    if (!file) return readByName(path, records, read, maxBytes);
    const bool compressed = file->is_compressed != 0;
    std::string bytes;
    if (readUpTo(file.get(), bytes, kHeadBytes) < 0)
        return Status::failure(path + ": the file could not be decompressed (damaged or cut short)",
                               path);
    if (const std::string binary = binaryContentReason(bytes); !binary.empty())
        return Status::failure("\"" + path + "\" is not a text file: it holds " + binary +
                                   "; a sample is a text file of records",
                               path);
    SampleRead found;
    found.compressed = compressed;
    found.format = sampleFormatOf(bytes, path);
    Status status;
    if (found.format == SampleFormat::Fasta) {
        file.reset();
        status = readFastaSample(path, records, maxBytes);
    } else if (!isSeqExtension(extensionOf(withoutGz(path)))) {
        // ".seq" records are taken only from a file named so (its reader's rule), compressed or
        // not: the ".seq" reader refuses any other name in its own words.
        file.reset();
        status = readSeqFile(path, records);
    } else if (!compressed) {
        file.reset();
        SeqReadResult outcome;
        status = readSeqFile(path, records, &found.warnings, &outcome);
        found.cutRecords = outcome.cutRecords;
        found.longestCut = outcome.longestCut;
    } else {
        // Compressed: the whole text, bounded as a sample is, then the ".seq" rules over it.
        for (;;) {
            if (bytes.size() > maxBytes) {
                return Status::failure(path + ": the file holds more than " +
                                           std::to_string(maxBytes) +
                                           " bytes once decompressed, more than a sample may have",
                                       path);
            }
            const int64_t got = readUpTo(file.get(), bytes, kHeadBytes);
            if (got < 0)
                return Status::failure(
                    path + ": the file could not be decompressed (damaged or cut short)", path);
            if (got == 0) break;
        }
        file.reset();
        SeqReadResult outcome;
        status = readSeqBytes(path, bytes, records, &found.warnings, &outcome);
        found.cutRecords = outcome.cutRecords;
        found.longestCut = outcome.longestCut;
    }
    if (!status) {
        records.clear();
        return status;
    }
    if (read != nullptr) *read = std::move(found);
    return status;
}

}  // namespace motifora
