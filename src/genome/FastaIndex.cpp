// Checks of a FASTA index against its file.
#include "genome/FastaIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <set>
#include <string_view>

namespace motifora {

namespace {

// An index larger than this is not read (a million records take about 50 MB).
constexpr int64_t kMaxIndexBytes = int64_t{1} << 28;
// Letters per line beyond this are taken for a damaged index.
constexpr int64_t kMaxLineBases = int64_t{1} << 30;
// Records longer than this are taken for a damaged index.
constexpr int64_t kMaxLength = int64_t{1} << 50;

bool wholeNumber(std::string_view text, int64_t& value) {
    if (text.empty()) return false;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc() && result.ptr == text.data() + text.size() && value >= 0;
}

bool newer(const struct stat& a, const struct stat& b) {
    if (a.st_mtim.tv_sec != b.st_mtim.tv_sec) return a.st_mtim.tv_sec > b.st_mtim.tv_sec;
    return a.st_mtim.tv_nsec > b.st_mtim.tv_nsec;
}

// Reads up to `count` bytes at `offset`; returns how many were read.
size_t readAt(int fd, int64_t offset, char* into, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(fd, into + done, count - done, offset + done);
        if (got <= 0) break;
        done += static_cast<size_t>(got);
    }
    return done;
}

bool compressed(int fd) {
    unsigned char magic[2] = {};
    return readAt(fd, 0, reinterpret_cast<char*>(magic), 2) == 2 && magic[0] == 0x1f &&
           magic[1] == 0x8b;
}

// Whether the header line ">NAME..." ends just before `offset` (the first letter's line);
// `headerStart` gets the position of its '>'.
bool headerBefore(int fd, int64_t offset, const std::string& name, int64_t& headerStart) {
    if (offset < 2) return false;
    constexpr int64_t kLook = 1 << 16;
    const int64_t from = std::max<int64_t>(0, offset - kLook);
    std::string bytes(static_cast<size_t>(offset - from), '\0');
    if (readAt(fd, from, bytes.data(), bytes.size()) != bytes.size()) return false;
    if (bytes.back() != '\n') return false;
    const size_t lineEnd = bytes.size() - 1;
    const size_t previous = lineEnd == 0 ? std::string::npos : bytes.rfind('\n', lineEnd - 1);
    size_t start = previous == std::string::npos ? 0 : previous + 1;
    if (previous == std::string::npos && from != 0) return false;  // a header longer than kLook
    if (start >= lineEnd || bytes[start] != '>') return false;
    headerStart = from + static_cast<int64_t>(start);
    ++start;
    while (start < lineEnd && (bytes[start] == ' ' || bytes[start] == '\t')) ++start;
    if (bytes.compare(start, name.size(), name) != 0) return false;
    const size_t after = start + name.size();
    return after == lineEnd || bytes[after] == ' ' || bytes[after] == '\t' || bytes[after] == '\r';
}

// Whether the record's last letter is a letter that ends its line.
bool lastLetterEndsLine(int fd, const FastaIndexEntry& e, int64_t size) {
    const int64_t last =
        e.offset + (e.length - 1) / e.lineBases * e.lineWidth + (e.length - 1) % e.lineBases;
    if (last >= size) return false;
    char bytes[2] = {};
    const size_t got = readAt(fd, last, bytes, 2);
    if (got == 0) return false;
    const auto letter = static_cast<unsigned char>(bytes[0]);
    if (letter < 0x21 || letter > 0x7E || letter == '>') return false;
    return got == 1 || bytes[1] == '\n' || bytes[1] == '\r';
}

// Whether the bytes from `from` to `to` are blank (line ends, spaces, tabs): nothing of a record
// the index leaves out. A long stretch is taken for such a record.
bool blankBetween(int fd, int64_t from, int64_t to) {
    if (to < from) return false;
    if (to - from > (1 << 16)) return false;
    std::string bytes(static_cast<size_t>(to - from), '\0');
    if (readAt(fd, from, bytes.data(), bytes.size()) != bytes.size()) return false;
    return bytes.find_first_not_of("\n\r \t") == std::string::npos;
}

// The position just after the record's last letter.
int64_t lettersEnd(const FastaIndexEntry& e) {
    if (e.length == 0) return e.offset;
    return e.offset + (e.length - 1) / e.lineBases * e.lineWidth + (e.length - 1) % e.lineBases + 1;
}

}  // namespace

std::string checkFastaIndex(const std::string& fastaPath, const std::string& indexPath,
                            std::vector<FastaIndexEntry>* entries) {
    struct stat fasta {};
    struct stat index {};
    if (::stat(fastaPath.c_str(), &fasta) != 0 || ::stat(indexPath.c_str(), &index) != 0)
        return indexPath + ": cannot be read";
    if (!S_ISREG(index.st_mode) || !S_ISREG(fasta.st_mode))
        return indexPath + ": the index and its file must be regular files";
    if (index.st_size > kMaxIndexBytes) return indexPath + ": too large for an index";
    if (newer(fasta, index))
        return indexPath + ": older than " + fastaPath + " (the file changed after indexing)";
    std::ifstream in(indexPath, std::ios::binary);
    if (!in) return indexPath + ": cannot be read";
    const int fd = ::open(fastaPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fastaPath + ": cannot be read";
    const bool plain = !compressed(fd);
    std::set<std::string> names;
    std::vector<FastaIndexEntry> read;
    std::vector<std::pair<int64_t, size_t>> headers;  // where each record's header begins
    std::string line;
    std::string problem;
    for (int64_t number = 1; problem.empty() && std::getline(in, line); ++number) {
        const std::string at = indexPath + ": line " + std::to_string(number) + ": ";
        std::vector<std::string_view> fields;
        std::string_view rest = line;
        for (size_t tab; (tab = rest.find('\t')) != std::string_view::npos;) {
            fields.push_back(rest.substr(0, tab));
            rest.remove_prefix(tab + 1);
        }
        fields.push_back(rest);
        FastaIndexEntry e;
        if (fields.size() != 5 || fields[0].empty() || !wholeNumber(fields[1], e.length) ||
            !wholeNumber(fields[2], e.offset) || !wholeNumber(fields[3], e.lineBases) ||
            !wholeNumber(fields[4], e.lineWidth)) {
            problem = at + "not NAME, LENGTH, OFFSET, LINEBASES and LINEWIDTH";
            break;
        }
        e.name = std::string(fields[0]);
        if (e.length > kMaxLength) {
            problem = at + "record " + e.name + " claims " + std::to_string(e.length) + " letters";
            break;
        }
        if (e.length > 0 && (e.lineBases == 0 || e.lineBases > kMaxLineBases ||
                             e.lineWidth <= e.lineBases || e.lineWidth > e.lineBases + 2)) {
            problem = at + "record " + e.name + " has impossible line lengths (" +
                      std::to_string(e.lineBases) + " letters in lines of " +
                      std::to_string(e.lineWidth) + " bytes)";
            break;
        }
        if (!names.insert(e.name).second) {
            problem = at + "the name " + e.name + " is given twice";
            break;
        }
        int64_t headerStart = 0;
        if (plain &&
            (e.offset > fasta.st_size || !headerBefore(fd, e.offset, e.name, headerStart) ||
             (e.length > 0 && !lastLetterEndsLine(fd, e, fasta.st_size)))) {
            problem = at + "record " + e.name + " is not where the index places it in " +
                      fastaPath + " (the file changed after indexing?)";
            break;
        }
        headers.emplace_back(headerStart, read.size());
        read.push_back(std::move(e));
    }
    // Nothing but blanks between the records and around them: a record the index leaves out (a
    // second record of a name, which some indexers skip) makes the index unusable.
    if (plain && problem.empty() && !read.empty()) {
        std::sort(headers.begin(), headers.end());
        int64_t end = 0;
        for (const auto& [start, i] : headers) {
            if (!blankBetween(fd, end, start)) {
                problem = indexPath + ": the file holds more than the records listed (between " +
                          "byte " + std::to_string(end) + " and " + read[i].name + ")";
                break;
            }
            end = lettersEnd(read[i]);
        }
        if (problem.empty() && !blankBetween(fd, end, fasta.st_size))
            problem = indexPath + ": the file holds more than the records listed (after byte " +
                      std::to_string(end) + ")";
    }
    ::close(fd);
    if (problem.empty() && read.empty()) problem = indexPath + ": lists no record";
    if (problem.empty() && entries != nullptr) *entries = std::move(read);
    return problem;
}

}  // namespace motifora
