// The ".seq" reader: record count, character-level parser and the file-level operations.
#include "core/FileManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace motifora {

namespace {

// Warnings beyond this many are summarised in one line, so that a file of many long records
// does not produce a message the size of the file.
constexpr size_t kWarningLimit = 20;

bool keptByte(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

std::string systemReason(int err) { return std::generic_category().message(err); }

// True when `path` names a regular file (through links); false with `error` saying what it is
// instead: missing or unreadable, a folder, a device, a pipe or a socket.
bool isRegularFile(const std::string& path, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        error = "cannot open \"" + path + "\": " + systemReason(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "\"" + path + "\" is a folder, not a sequence file";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "\"" + path + "\" is " + fileKindOf(info.st_mode) +
                ", not a sequence file; only regular files are read";
        return false;
    }
    return true;
}

// Reads the whole regular file at `path`, never more than the size it had when opened.
// Returns false with `error` set when it does not exist or cannot be opened, is a folder, a
// device, a pipe or a socket (such a thing may never end), is larger than kSeqMaxFileBytes, or
// cannot be read.
bool readFileBytes(const std::string& path, std::string& bytes, std::string& error) {
    bytes.clear();
    struct stat info {};
    if (!isRegularFile(path, error)) return false;
    // O_NONBLOCK: should the name have been replaced by a pipe since, the open does not wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = "cannot open \"" + path + "\": " + systemReason(errno);
        return false;
    }
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    int err = ok ? 0 : EINVAL;
    if (ok && static_cast<uint64_t>(info.st_size) > kSeqMaxFileBytes) {
        ::close(fd);
        error = "\"" + path + "\" is " + std::to_string(info.st_size) +
                " bytes long, more than the " + std::to_string(kSeqMaxFileBytes) +
                " bytes a sequence file may have";
        return false;
    }
    if (ok) {
        const auto size = static_cast<size_t>(info.st_size);
        bytes.resize(size);
        size_t done = 0;
        while (done < size) {
            const ssize_t got = ::read(fd, bytes.data() + done, size - done);
            if (got < 0) {
                if (errno == EINTR) continue;
                err = errno;
                ok = false;
                break;
            }
            if (got == 0) break;  // the file was cut short meanwhile
            done += static_cast<size_t>(got);
        }
        bytes.resize(done);
    }
    ::close(fd);
    if (!ok) {
        bytes.clear();
        error = "cannot read \"" + path + "\": " + systemReason(err);
        return false;
    }
    return true;
}

// Why bytes without a record hold none, for the refusal.
std::string noRecordsReason(std::string_view bytes) {
    if (bytes.empty()) return "the file is empty";
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\0'; }))
        return "the file holds only zero bytes";
    if (std::none_of(bytes.begin(), bytes.end(),
                     [](char c) { return keptByte(static_cast<unsigned char>(c)); }))
        return "the file holds only blanks, line ends and other characters that are not read";
    return "no line begins with \">\"";
}

std::string extensionOf(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string at(int record, int line) {
    std::string s;
    if (record > 0) s += "record " + std::to_string(record);
    if (line > 0) s += (s.empty() ? "line " : ", line ") + std::to_string(line);
    return s;
}

}  // namespace

const char* fileKindOf(mode_t mode) {
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

int countSeqRecords(std::string_view bytes) {
    // A C line read into a buffer of kSeqLineBuffer bytes takes at most kSeqLineBuffer - 1
    // bytes, stopping after a line feed; a long line is therefore read in several pieces.
    constexpr size_t piece = kSeqLineBuffer - 1;
    int count = 0;
    size_t pos = 0;
    while (pos < bytes.size()) {
        if (bytes[pos] == '>') ++count;
        const size_t limit = std::min(bytes.size(), pos + piece);
        size_t end = pos;
        while (end < limit && bytes[end] != '\n') ++end;
        pos = (end < limit) ? end + 1 : limit;  // past the line feed, or at the piece's end
    }
    return count;
}

namespace {

// True when the ">" at `at`, which does not begin its line, is a character of UTF-16 text: the
// file begins with a UTF-16 byte-order mark, or a zero byte stands beside the ">" (ASCII
// characters in UTF-16 are one letter byte and one zero byte).
bool looksLikeUtf16(std::string_view bytes, size_t at) {
    const std::string_view head = bytes.substr(0, 2);
    if (head == "\xFF\xFE" || head == "\xFE\xFF") return true;
    return (at > 0 && bytes[at - 1] == '\0') || (at + 1 < bytes.size() && bytes[at + 1] == '\0');
}

// True when the zero bytes of `head` all stand on odd or all on even offsets, as the high bytes
// of ASCII letters in UTF-16 do.
bool zerosAlternate(std::string_view head) {
    bool even = false, odd = false;
    for (size_t i = 0; i < head.size(); ++i) {
        if (head[i] != '\0') continue;
        (i % 2 == 0 ? even : odd) = true;
    }
    return even != odd;
}

// The character-level parser. `keep(n, text, name)` stores record n (1-based, n <= capacity).
template <typename Keep>
SeqReadResult parseSeq(std::string_view bytes, int capacity, Keep keep) {
    SeqReadResult result;
    if (capacity < 0) capacity = 0;

    std::string gathered;
    gathered.reserve(kSeqFieldLimit);
    size_t dropped = 0;  // printable characters beyond the limit in the gathered field
    std::string name;
    bool haveName = false;
    int n = 0;           // records opened so far
    int line = 1;        // line of the byte being read
    int recordLine = 0;  // line of the ">" that opened record n
    bool atLineStart = true;
    int ignoredLine = 0;        // first line with characters before the first ">"
    size_t suppressed = 0;      // warnings beyond the limit
    size_t storedLength = 0;    // letters of the last record stored (those dropped included)
    size_t previousLength = 0;  // and of the one before it

    auto fail = [&](int record, int faultLine, std::string what) {
        result.count = -1;
        const std::string where = at(record, faultLine);
        result.status =
            Status::failure(where.empty() ? what : where + ": " + what, {}, faultLine, record);
        return result;
    };
    auto warn = [&](std::string text) {
        if (result.warnings.size() < kWarningLimit) {
            result.warnings.push_back(std::move(text));
        } else {
            ++suppressed;
        }
    };
    // Stores the gathered letters as record n. Returns false when record n has no name.
    auto store = [&]() {
        if (!haveName) return false;
        if (dropped > 0) {
            warn(at(n, recordLine) + ": the letters were cut to their first " +
                 std::to_string(kSeqFieldLimit) + " characters (" + std::to_string(dropped) +
                 " dropped)");
        }
        keep(n, gathered, name);
        previousLength = storedLength;
        storedLength = gathered.size() + dropped;
        if (dropped > 0) {
            ++result.cutRecords;
            result.longestCut = std::max(result.longestCut, storedLength);
        }
        return true;
    };
    const std::string noName =
        "no \";\" ends the name of the first record (a record is \">\", a name, \";\" and the "
        "letters)";

    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        const bool firstOnLine = atLineStart;
        atLineStart = (c == '\n');
        if (c == '\n') {
            ++line;
            continue;
        }
        if (c == '\r') continue;
        if (n == 0 && c != '>') {
            // Nothing before the first record belongs to any record; it is skipped.
            if (keptByte(c) && ignoredLine == 0) ignoredLine = line;
            continue;
        }
        if (c == ';') {
            if (gathered.empty()) {
                return fail(n, line,
                            "the name before \";\" is empty (names keep only the printable "
                            "characters \"!\" to \"~\"; blanks and non-ASCII letters are "
                            "dropped)");
            }
            if (dropped > 0) {
                warn(at(n, line) + ": the name was cut to its first " +
                     std::to_string(kSeqFieldLimit) + " characters");
            }
            name = gathered;
            haveName = true;
            gathered.clear();
            dropped = 0;
            continue;
        }
        if (c == '>') {
            if (!firstOnLine) {
                // Editors that save "UTF-8 with BOM" put three bytes before the first '>'.
                if (i == 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
                    return fail(0, line,
                                "the file begins with a Unicode byte-order mark; save it as plain "
                                "text (ASCII) so that the first line begins with \">\"");
                }
                if (looksLikeUtf16(bytes, i)) {
                    return fail(0, line,
                                "the file is in UTF-16 (two bytes to a character); save it as "
                                "plain text (ASCII) so that each record begins a line with \">\"");
                }
                if (bytes[i - 1] == '\r') {
                    return fail(0, line,
                                "the lines end in a carriage return alone (old Mac line ends), "
                                "so \">\" does not begin a line; save the file with LF or CR LF "
                                "line ends");
                }
                return fail(0, line,
                            "\">\" is not the first character of its line; every record must "
                            "begin a new line with \">\"");
            }
            if (n > 0) {
                if (gathered.empty()) return fail(n, recordLine, "the record has no letters");
                if (!store()) return fail(n, recordLine, noName);
            }
            if (n >= capacity) {
                return fail(n + 1, line,
                            "more records than were counted (" + std::to_string(capacity) +
                                "); the file may have changed while it was read");
            }
            ++n;
            recordLine = line;
            gathered.clear();
            dropped = 0;
            continue;
        }
        if (keptByte(c)) {
            if (gathered.size() < static_cast<size_t>(kSeqFieldLimit)) {
                gathered.push_back(static_cast<char>(c));
            } else {
                ++dropped;
            }
        }
    }
    if (n > 0) {
        if (gathered.empty()) {
            return fail(n, recordLine, "the record has no letters (the file ends after its name)");
        }
        if (!store()) return fail(n, recordLine, noName);
        // A file that ends inside a line, its last record shorter than the one before, was
        // most likely cut off while it was written or copied; what was read is kept.
        const char last = bytes.back();
        if (n > 1 && last != '\n' && last != '\r' && storedLength < previousLength) {
            warn(at(n, recordLine) +
                 ": the file ends inside a line, without a line end, and this last record has " +
                 std::to_string(storedLength) + " letters where the one before has " +
                 std::to_string(previousLength) + "; the file may have been cut short");
        }
    }
    if (ignoredLine > 0) {
        warn("line " + std::to_string(ignoredLine) +
             (n > 0 ? ": characters before the first \">\" were ignored"
                    : ": the file has no \">\", so no records were read"));
    }
    if (suppressed > 0) warn("... and " + std::to_string(suppressed) + " more such notes");
    result.count = n;
    return result;
}

}  // namespace

std::string binaryContentReason(std::string_view bytes) {
    static constexpr struct {
        std::string_view magic;
        const char* what;
    } kinds[] = {
        {"\x7F"
         "ELF",
         "an executable program"},
        {"MZ", "an executable program"},
        {"\x1F\x8B", "gzip-compressed data"},
        {"PK\x03\x04", "a ZIP archive"},
        {"BZh", "bzip2-compressed data"},
        {"\xFD"
         "7zXZ",
         "xz-compressed data"},
        {"\x28\xB5\x2F\xFD", "zstd-compressed data"},
        {"%PDF", "a PDF document"},
        {"BAM\x01", "a BAM alignment file"},
        {"\x89PNG", "a PNG image"},
    };
    for (const auto& kind : kinds)
        if (bytes.substr(0, kind.magic.size()) == kind.magic) return kind.what;
    const std::string_view head = bytes.substr(0, 4096);
    const std::string_view mark = head.substr(0, 2);
    if (mark == "\xFF\xFE" || mark == "\xFE\xFF") return {};
    if (std::all_of(head.begin(), head.end(), [](char c) { return c == '\0'; })) return {};
    size_t control = 0;
    bool zero = false;
    for (const char ch : head) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0) zero = true;
        if ((c < 0x20 && c != '\n' && c != '\r' && c != '\t' && c != '\f' && c != '\v') ||
            c == 0x7F)
            ++control;
    }
    if (zero && zerosAlternate(head)) return {};  // UTF-16 text: the parser says so
    // Text has few control characters; a tenth of them (and more than a stray few) is data of
    // some other kind.
    if (control >= 16 && control * 10 > head.size())
        return "binary data (" + std::to_string(control) + " control bytes in its first " +
               std::to_string(head.size()) + ")";
    return {};
}

SeqReadResult parseSeqBuffer(std::string_view bytes, Sequence* records, int capacity) {
    if (records == nullptr) capacity = 0;
    return parseSeq(bytes, capacity,
                    [records](int n, const std::string& text, const std::string& name) {
                        records[n - 1].assign(text, name, 1);
                    });
}

bool isSeqExtension(std::string_view extension) {
    static constexpr std::string_view seq = ".seq";
    if (extension.size() != seq.size()) return false;
    for (size_t i = 0; i < seq.size(); ++i) {
        char c = extension[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != seq[i]) return false;
    }
    return true;
}

Status readSeqFile(const std::string& path, std::vector<Sequence>& records,
                   std::vector<std::string>* warnings, SeqReadResult* outcome) {
    records.clear();
    if (warnings != nullptr) warnings->clear();
    // The name is judged before anything is read: a device such as /dev/zero never ends.
    if (!isSeqExtension(extensionOf(path)))
        return Status::failure(
            "\"" + path + "\" is not a sequence file: its name must end in \".seq\"", path);
    std::string bytes, error;
    if (!readFileBytes(path, bytes, error)) return Status::failure(error, path);
    return readSeqBytes(path, bytes, records, warnings, outcome);
}

Status readSeqBytes(const std::string& path, std::string_view bytes, std::vector<Sequence>& records,
                    std::vector<std::string>* warnings, SeqReadResult* cut) {
    records.clear();
    if (warnings != nullptr) warnings->clear();
    if (cut != nullptr) *cut = SeqReadResult{};
    if (const std::string binary = binaryContentReason(bytes); !binary.empty())
        return Status::failure("\"" + path + "\" is not a text file: it holds " + binary +
                                   "; a sample is a text file of records",
                               path);
    // One read of the bytes serves both the count and the parse, so they always agree.
    // The records grow as they are read rather than being allocated by the count first, so
    // that a file of many empty records fails without a large allocation.
    const int counted = countSeqRecords(bytes);
    std::vector<Sequence> read;
    SeqReadResult result =
        parseSeq(bytes, counted, [&read](int, const std::string& text, const std::string& name) {
            read.emplace_back();
            read.back().assign(text, name, 1);
        });
    if (!result.ok())
        return Status::failure("\"" + path + "\", " + result.status.message, path,
                               result.status.line, result.status.record);
    if (result.count == 0)
        return Status::failure(
            "\"" + path + "\" holds no records: " + noRecordsReason(bytes) +
                " (a record is a line beginning with \">\", a name, \";\" and the letters)",
            path);
    records = std::move(read);  // as many as counted: every '>' of an accepted file begins a line
    if (warnings != nullptr) *warnings = result.warnings;
    if (cut != nullptr) *cut = std::move(result);
    return Status::success();
}

FileManager::~FileManager() { closeStream(); }

void FileManager::closeStream() {
    if (stream != nullptr) {
        std::fclose(stream);
        stream = nullptr;
    }
}

bool FileManager::open(const std::string& name, int openMode) {
    mode = openMode;
    error_.clear();
    counted_ = -1;
    if (openMode != kReadSequences) {
        error_ = "\"" + name + "\": open mode " + std::to_string(openMode) +
                 " is not a sequence-file read";
        return false;
    }
    closeStream();
    // Only a regular file is opened: a device or a pipe might never end, and opening a pipe
    // waits for a writer.
    if (!isRegularFile(name, error_)) return false;
    stream = std::fopen(name.c_str(), "r");
    if (stream == nullptr) {
        error_ = "cannot open \"" + name + "\": " + systemReason(errno);
        return false;
    }
    fileName = name;
    extension = extensionOf(name);
    closeStream();
    return true;
}

bool FileManager::slurp(std::string& bytes) {
    closeStream();
    return readFileBytes(fileName, bytes, error_);
}

int FileManager::countRecords() {
    error_.clear();
    std::string bytes;
    if (fileName.empty()) {
        error_ = "no sequence file is open";
        return -1;
    }
    if (!slurp(bytes)) return -1;
    counted_ = countSeqRecords(bytes);
    return counted_;
}

int FileManager::readSequences(Sequence* records, int offset) {
    if (counted_ < 0 && isSeqExtension(extension) && countRecords() < 0) return -1;
    return readSequences(records, offset, offset + std::max(counted_, 0));
}

int FileManager::readSequences(Sequence* records, int offset, int capacity) {
    error_.clear();
    lastRead_ = SeqReadResult{};
    if (!isSeqExtension(extension)) {
        error_ = "\"" + fileName + "\" is not a sequence file: its name must end in \".seq\"";
        lastRead_.status = Status::failure(error_, fileName);
        return 0;
    }
    if (records == nullptr || offset < 0) {
        error_ = "\"" + fileName + "\": no records to read into";
        lastRead_.count = -1;
        lastRead_.status = Status::failure(error_, fileName);
        return -1;
    }
    std::string bytes;
    if (!slurp(bytes)) {
        lastRead_.count = -1;
        lastRead_.status = Status::failure(error_, fileName);
        return -1;
    }
    const int room = capacity - offset;
    lastRead_ = parseSeqBuffer(bytes, room > 0 ? records + offset : nullptr, std::max(room, 0));
    if (!lastRead_.ok()) error_ = "\"" + fileName + "\", " + lastRead_.status.message;
    return lastRead_.count;
}

}  // namespace motifora
