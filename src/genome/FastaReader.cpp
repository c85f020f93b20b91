// The FASTA reader: a byte buffer over htslib's BGZF stream (which also reads plain and ordinary
// gzip files) and a small state machine over lines.
#include "genome/FastaReader.h"

#include <fcntl.h>
#include <htslib/bgzf.h>
#include <htslib/hfile.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "core/FileManager.h"

namespace motifora {

namespace {

constexpr size_t kBufferSize = size_t{1} << 16;

bool endsWithNoCase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        char c = text[text.size() - tail.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

bool isBlank(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

}  // namespace

bool isFastaPath(std::string_view path) {
    if (endsWithNoCase(path, ".gz")) path.remove_suffix(3);
    for (const char* extension : {".fa", ".fasta", ".fna", ".fas"}) {
        if (endsWithNoCase(path, extension)) return true;
    }
    return false;
}

struct FastaReader::Handle {
    BGZF* file = nullptr;
    ~Handle() {
        if (file != nullptr) bgzf_close(file);
    }
};

FastaReader::FastaReader() = default;
FastaReader::~FastaReader() = default;

bool FastaReader::Open(const std::string& path) {
    handle_.reset();
    path_ = path;
    error_.clear();
    at_ = end_ = 0;
    eof_ = false;
    lineStart_ = true;
    inRecord_ = false;
    line_ = 1;
    records_ = 0;
    bytesRead_ = 0;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        fail(std::string("cannot open the file: ") + std::strerror(errno));
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        fail("cannot open the file: it is a folder");
        return false;
    }
    auto handle = std::make_unique<Handle>();
    if (S_ISFIFO(info.st_mode)) {
        // A named pipe is opened without waiting for a writer (an open that waits cannot be
        // interrupted), then given a while to bring its first bytes.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            fail(std::string("cannot open the file: ") + std::strerror(errno));
            return false;
        }
        if (!awaitWriter(fd)) {
            ::close(fd);
            return false;
        }
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        hFILE* stream = hdopen(fd, "r");
        if (stream == nullptr) {
            ::close(fd);
        } else {
            handle->file = bgzf_hopen(stream, "r");
            if (handle->file == nullptr) hclose_abruptly(stream);
        }
    } else {
        handle->file = bgzf_open(path.c_str(), "r");
    }
    if (handle->file == nullptr) {
        fail(std::string("cannot open the file: ") + std::strerror(errno));
        return false;
    }
    // bgzip writes an empty block at the end; a file without it was cut short (htslib would
    // read the blocks before the cut as the whole file).
    if (handle->file->is_compressed && !handle->file->is_gzip &&
        bgzf_check_EOF(handle->file) == 0) {
        fail(
            "the bgzip-compressed file ends without its end-of-file block: it was cut short (an "
            "unfinished copy or download?)");
        return false;
    }
    handle_ = std::move(handle);
    buffer_.resize(kBufferSize);
    return true;
}

bool FastaReader::awaitWriter(int fd) {
    auto waited = std::chrono::milliseconds(0);
    const auto slice = std::chrono::milliseconds(100);
    for (;;) {
        pollfd wanted{fd, POLLIN, 0};
        const auto left = std::min(slice, pipeWait_ - waited);
        const int ready = ::poll(&wanted, 1, static_cast<int>(std::max<int64_t>(left.count(), 0)));
        if (ready > 0) return true;  // bytes, or a writer that came and went
        if (ready < 0 && errno != EINTR) {
            fail(std::string("cannot read the named pipe: ") + std::strerror(errno));
            return false;
        }
        waited += left;
        if (pipeStop_ != nullptr && pipeStop_->load()) {
            fail("stopped while waiting for a program to write to the named pipe");
            return false;
        }
        if (waited >= pipeWait_) {
            fail("nothing was written to this named pipe within " +
                 std::to_string(pipeWait_.count() / 1000) + " seconds (no program writes to it?)");
            return false;
        }
    }
}

void FastaReader::fail(const std::string& what) {
    if (error_.empty()) error_ = path_ + ": " + what;
    eof_ = true;
    at_ = end_ = 0;
}

void FastaReader::failHere(const std::string& what) {
    if (error_.empty()) errorLine_ = line_;
    fail("line " + std::to_string(line_) + ": " + what);
}

bool FastaReader::fill() {
    if (eof_ || handle_ == nullptr) return false;
    const ssize_t got = bgzf_read(handle_->file, buffer_.data(), buffer_.size());
    if (got < 0) {
        fail("the file could not be read (damaged or truncated compressed data?)");
        return false;
    }
    if (got == 0) {
        eof_ = true;
        return false;
    }
    at_ = 0;
    end_ = static_cast<size_t>(got);
    bytesRead_ += static_cast<uint64_t>(got);
    return true;
}

bool FastaReader::takeCarriageReturn() {
    ++at_;
    const int next = peek();
    if (next < 0 || next == '\n') return error_.empty();
    failHere(
        "a carriage return (CR) is not followed by a line feed: lines ending in CR alone are not "
        "read; convert the line ends to LF or CR LF");
    return false;
}

int FastaReader::peek() {
    if (at_ == end_ && !fill()) return -1;
    return static_cast<unsigned char>(buffer_[at_]);
}

bool FastaReader::NextRecord(FastaRecord& record) {
    if (!error_.empty() || handle_ == nullptr) return false;
    // Skip the rest of the current record and anything blank up to the next header.
    for (;;) {
        const int c = peek();
        if (c < 0) return false;
        if (c == '>' && lineStart_) break;
        if (c == '\n') {
            ++at_;
            ++line_;
            lineStart_ = true;
            continue;
        }
        if (c == '\r' && !takeCarriageReturn()) return false;
        if (c == '\r') continue;
        if (isBlank(c)) {
            ++at_;
            continue;
        }
        if (!inRecord_) {
            failHere("letters before the first record header (a line beginning with '>')");
            return false;
        }
        ++at_;
        lineStart_ = false;
    }
    ++at_;  // the '>'
    std::string header;
    for (;;) {
        const int c = peek();
        if (c < 0 || c == '\n') break;
        if (c == '\r') {
            if (!takeCarriageReturn()) return false;
            continue;
        }
        ++at_;
        header.push_back(static_cast<char>(c));
        if (header.size() > kFastaMaxHeader) {
            failHere("the header of record " + std::to_string(records_ + 1) + " is longer than " +
                     std::to_string(kFastaMaxHeader) + " characters");
            return false;
        }
    }
    const size_t first = header.find_first_not_of(" \t");
    header.erase(0, first == std::string::npos ? header.size() : first);
    while (!header.empty() && isBlank(static_cast<unsigned char>(header.back()))) header.pop_back();
    record = FastaRecord();
    record.headerLine = line_;
    record.number = ++records_;
    record.description = header;
    record.name = header.substr(0, header.find_first_of(" \t"));
    if (record.name.empty()) {
        failHere("record " + std::to_string(records_) + " has a header without a name");
        return false;
    }
    inRecord_ = true;
    lineStart_ = false;
    return error_.empty();
}

size_t FastaReader::ReadLetters(std::string& out, size_t limit) {
    if (!inRecord_ || !error_.empty()) return 0;
    size_t taken = 0;
    while (taken < limit) {
        if (at_ == end_ && !fill()) break;
        const char* data = buffer_.data();
        // Whole runs of letters are copied at once; line ends and blanks are handled one by one.
        while (at_ < end_ && taken < limit) {
            const auto c = static_cast<unsigned char>(data[at_]);
            if (c == '\n') {
                ++at_;
                ++line_;
                lineStart_ = true;
                continue;
            }
            if (c == '>' && lineStart_) return taken;
            if (c == '\r') {
                if (!takeCarriageReturn()) return taken;
                continue;
            }
            if (isBlank(c)) {
                ++at_;
                continue;
            }
            if (c < 0x21 || c > 0x7E) {
                char code[8];
                std::snprintf(code, sizeof code, "0x%02X", c);
                failHere(std::string("byte ") + code + " is not a sequence letter");
                return taken;
            }
            out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A')
                                               : static_cast<char>(c));
            ++at_;
            ++taken;
            lineStart_ = false;
        }
    }
    return taken;
}

namespace {

// Why `path` cannot be a sample file, or "" when it is a regular file of at most `maxBytes`.
std::string whyNotASampleFile(const std::string& path, uint64_t maxBytes) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return path + ": cannot open the file: " + std::strerror(errno);
    if (S_ISDIR(info.st_mode)) return path + ": cannot open the file: it is a folder";
    if (!S_ISREG(info.st_mode))
        return path + ": the file is " + fileKindOf(info.st_mode) +
               ", not a sequence file; only regular files are read";
    if (static_cast<uint64_t>(info.st_size) > maxBytes)
        return path + ": the file is " + std::to_string(info.st_size) +
               " bytes long, more than the " + std::to_string(maxBytes) +
               " bytes a sample may have";
    return {};
}

// The first control character of `name` (a byte below 0x20, or 0x7F), or -1.
int controlByte(const std::string& name) {
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return byte;
    }
    return -1;
}

// The header as a one-line text to show: a tab or another control character reads as a space.
std::string shownHeader(std::string header) {
    for (char& c : header)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return header;
}

}  // namespace

Status readFastaSample(const std::string& path, std::vector<Sequence>& records, uint64_t maxBytes) {
    records.clear();
    // Judged before the file is opened: opening a pipe waits for a writer, and a device such
    // as /dev/zero never ends.
    if (const std::string why = whyNotASampleFile(path, maxBytes); !why.empty())
        return Status::failure(why, path);
    FastaReader reader;
    if (!reader.Open(path)) return Status::failure(reader.Error(), path);
    FastaRecord record;
    std::vector<Sequence> read;
    const auto tooLarge = [&] {
        return Status::failure(path + ": the file holds more than " + std::to_string(maxBytes) +
                                   " bytes once decompressed, more than a sample may have",
                               path);
    };
    const auto refuse = [&](const std::string& what) {
        return Status::failure(path + ": line " + std::to_string(record.headerLine) + ": record " +
                                   std::to_string(record.number) + " " + what,
                               path, record.headerLine, record.number);
    };
    constexpr auto kLongest = static_cast<size_t>(kMaxRecordText);
    while (reader.NextRecord(record)) {
        if (const int byte = controlByte(record.name); byte >= 0) {
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", byte);
            return refuse(std::string("has byte ") + code +
                          " in its name; a name may not hold control characters");
        }
        std::string letters;
        while (reader.ReadLetters(letters, size_t{1} << 16) != 0) {
            if (reader.BytesRead() > maxBytes) return tooLarge();
            if (letters.size() > kLongest)
                return refuse("(" + record.name + ") has more than " + std::to_string(kLongest) +
                              " letters, more than a sample record may have");
        }
        if (!reader.Error().empty()) break;
        if (reader.BytesRead() > maxBytes) return tooLarge();
        if (letters.empty()) return refuse("(" + record.name + ") has no letters");
        Sequence sequence;
        sequence.assign(letters, record.name, 1);
        if (record.description != record.name)
            sequence.description = shownHeader(record.description);
        read.push_back(std::move(sequence));
    }
    if (!reader.Error().empty()) return Status::failure(reader.Error(), path, reader.ErrorLine());
    if (reader.BytesRead() > maxBytes) return tooLarge();
    if (read.empty())
        return Status::failure(path + ": no FASTA records (no line beginning with '>')", path);
    records = std::move(read);
    return Status::success();
}

}  // namespace motifora
