// Safe whole-file writes (a regular file is replaced atomically through a temporary file beside
// it; a device or pipe is written directly) and whole-file reads.
#include "io/SafeFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/FileManager.h"

namespace motifora {

namespace {

std::string reason(int error) { return std::strerror(error); }

// Every temporary file is named "<target>" + kTemporaryMark + "<pid>-<counter>-<random>", so that
// a later save can tell the leftovers of a process that was killed from anything else.
constexpr std::string_view kTemporaryMark = ".motifora-tmp-";

std::string temporaryNameFor(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    return target + std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(salt ^ (attempt * 2654435761u));
}

bool writeAll(int fd, std::string_view bytes, int& error) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The folder part of a path ("." for a bare name).
std::string folderOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

// Asks the system to put the folder's entries (the rename) on the disk; best effort.
void syncFolder(const std::string& path) {
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The descriptor that `name` stands for when it names one of this process's open files
// ("/dev/stdout", "/dev/stderr", "/dev/fd/N", "/proc/self/fd/N"), or -1. Such a name is written
// through the descriptor itself: reopened, a file would be written from its start over what
// the process wrote before, and replaced, the process would go on writing to a lost file.
int ownDescriptor(const std::string& name) {
    if (name == "/dev/stdout") return 1;
    if (name == "/dev/stderr") return 2;
    for (std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        int fd = 0;
        for (size_t i = prefix.size(); i < name.size(); ++i) {
            if (name[i] < '0' || name[i] > '9' || fd > 1000000) return -1;
            fd = fd * 10 + (name[i] - '0');
        }
        return fd;
    }
    return -1;
}

// Creates the temporary file for `target`: unnamed where the file system allows it (a process
// killed while writing then leaves nothing behind), else named beside the target. Returns the
// descriptor, or -1 with errno set; `unnamed` says which kind it is.
int createTemporary(const std::string& target, std::string& temporary, bool& unnamed) {
#ifdef O_TMPFILE
    unnamed = true;
    const int unnamedFd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (unnamedFd >= 0) return unnamedFd;
#endif
    unnamed = false;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryNameFor(target, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    return fd;
}

// Gives the unnamed temporary file `fd` a name beside `target`. Returns false with errno set.
bool nameTemporary(int fd, const std::string& target, std::string& temporary) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        temporary = temporaryNameFor(target, attempt);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST) return false;
    }
    return false;
}

// The regular file a save to `name` replaces: `name` itself, or through a symbolic link the
// file it points at (the link stays a link). Empty `error` on success.
std::string replacedFile(const std::string& name, std::string& error) {
    struct stat link {};
    if (::lstat(name.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return name;
    char* real = ::realpath(name.c_str(), nullptr);
    if (real != nullptr) {
        std::string resolved(real);
        std::free(real);
        return resolved;
    }
    // A link to a file not yet there: the file is created where the link points.
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(name, ec);
    if (ec) {
        error = "Cannot follow the link \"" + name + "\": " + ec.message() + ".";
        return {};
    }
    if (target.is_relative()) target = std::filesystem::path(folderOf(name)) / target;
    return target.string();
}

}  // namespace

size_t RemoveStaleTemporaries(const std::string& folder) {
    size_t removed = 0;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const size_t mark = name.rfind(kTemporaryMark);
        if (mark == std::string::npos) continue;
        // "<pid>-<counter>-<random>" and nothing else.
        const std::string_view rest = std::string_view(name).substr(mark + kTemporaryMark.size());
        long long pid = 0;
        int dashes = 0;
        bool wellFormed = !rest.empty();
        for (char c : rest) {
            if (c == '-') {
                ++dashes;
            } else if (c < '0' || c > '9') {
                wellFormed = false;
            } else if (dashes == 0 && pid < (1LL << 40)) {
                pid = pid * 10 + (c - '0');
            }
        }
        if (!wellFormed || dashes != 2 || pid <= 0 || pid > INT32_MAX) continue;
        if (pid == ::getpid()) continue;  // another save of this process may be writing it
        // The process is gone when the system knows no process of that number.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (::unlink(it->path().c_str()) == 0) ++removed;
    }
    return removed;
}

namespace {

// A failure of an operation on the file `name`, with the file beside the message.
Status about(Status status, const std::string& name) {
    if (!status && status.file.empty()) status.file = name;
    return status;
}

Status readWhole(const std::string& fileName, std::string& bytes, size_t maxBytes,
                 std::string_view kind) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return Status::failure("Cannot read \"" + fileName + "\": it is a folder.");
    }
    // O_NONBLOCK: opening a pipe does not wait for a writer; a pipe, a device or a socket may
    // never end and is refused once opened.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Status::failure("Cannot open \"" + fileName + "\": " + reason(errno) + ".");
    const auto closing = [fd](Status status) {
        ::close(fd);
        return status;
    };
    if (::fstat(fd, &info) != 0)
        return closing(Status::failure("Cannot read \"" + fileName + "\": " + reason(errno) + "."));
    if (!S_ISREG(info.st_mode)) {
        return closing(Status::failure("Cannot read \"" + fileName + "\": it is " +
                                       fileKindOf(info.st_mode) +
                                       "; only regular files are read."));
    }
    if (static_cast<uint64_t>(info.st_size) > maxBytes) {
        return closing(Status::failure("\"" + fileName + "\" is " + std::to_string(info.st_size) +
                                       " bytes long, more than the " + std::to_string(maxBytes) +
                                       " bytes " + std::string(kind) + " may have."));
    }
    std::string content(static_cast<size_t>(info.st_size), '\0');
    size_t done = 0;
    while (done < content.size()) {
        const ssize_t got = ::read(fd, content.data() + done, content.size() - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            return closing(
                Status::failure("Cannot read \"" + fileName + "\": " + reason(errno) + "."));
        }
        if (got == 0) break;  // cut short meanwhile: what is there is read
        done += static_cast<size_t>(got);
    }
    content.resize(done);
    bytes = std::move(content);
    return closing(Status::success());
}

}  // namespace

namespace {

// Removes "<file>.part-<pid>-<number>" files of processes that no longer exist: the temporary
// files the scan's outputs were once written through.
void removeOldScanTemporaries(const std::string& file) {
    const std::string prefix = std::filesystem::path(file).filename().string() + ".part-";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folderOf(file), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string_view rest = std::string_view(name).substr(prefix.size());
        const size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string_view::npos || dash + 1 == rest.size() ||
            rest.find_first_not_of("0123456789-") != std::string_view::npos ||
            rest.find('-', dash + 1) != std::string_view::npos || dash > 9)
            continue;
        long long pid = 0;
        for (const char c : rest.substr(0, dash)) pid = pid * 10 + (c - '0');
        if (pid <= 0 || pid > INT32_MAX || pid == ::getpid()) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(it->path().c_str());
    }
}

}  // namespace

// Bytes gathered for direct writes: whole blocks at aligned places of the file, from aligned
// memory.
struct SafeFileStream::Staging {
    static constexpr size_t kAlignment = 4096;
    static constexpr size_t kBlock = size_t{4} << 20;
    char* data = static_cast<char*>(std::aligned_alloc(kAlignment, kBlock));
    size_t size = 0;
    bool direct = true;  // the descriptor has O_DIRECT
    Staging() = default;
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;
    ~Staging() { std::free(data); }
};

SafeFileStream::SafeFileStream() = default;
SafeFileStream::~SafeFileStream() { Discard(); }

void SafeFileStream::WriteDirectly() {
    if (kind_ != Kind::Replace || prepared_ || staging_ || !error_) return;
    auto staging = std::make_unique<Staging>();
    if (staging->data == nullptr) return;
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags | O_DIRECT) != 0) return;
    staging_ = std::move(staging);
}

bool SafeFileStream::writeStaged(int& error) {
    Staging& staging = *staging_;
    size_t done = 0;
    while (done < staging.size) {
        const ssize_t n = ::write(fd_, staging.data + done, staging.size - done);
        if (n >= 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EINVAL && staging.direct) {
            // The file system refuses this direct write (or a short one left the place
            // unaligned): the rest goes through the page cache.
            staging.direct = false;
            ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_DIRECT);
            continue;
        }
        error = errno;
        return false;
    }
    staging.size = 0;
    return true;
}

Status SafeFileStream::fail(const std::string& message) {
    Status status = Status::failure(message, name_);
    if (error_.ok) error_ = status;
    return status;
}

Status SafeFileStream::Open(const std::string& name, bool namedTemporary) {
    Discard();
    name_ = name;
    error_ = Status::success();
    prepared_ = false;
    if (name.empty()) return fail("No file name was given.");
    if (const int own = ownDescriptor(name); own >= 0 && ::fcntl(own, F_GETFD) != -1) {
        fd_ = own;
        kind_ = Kind::Own;
        return Status::success();
    }
    struct stat info {};
    if (::stat(name.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) return fail("Cannot write \"" + name + "\": it is a folder.");
        if (!S_ISREG(info.st_mode)) {
            // Opened without waiting, so that a named pipe no program reads from is refused
            // instead of blocking for ever; the writes then wait as usual.
            const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
            if (fd < 0) {
                const std::string why = errno == ENXIO && S_ISFIFO(info.st_mode)
                                            ? "no program reads from this named pipe"
                                            : reason(errno);
                return fail("Cannot open \"" + name + "\": " + why + ".");
            }
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
            fd_ = fd;
            kind_ = Kind::Direct;
            return Status::success();
        }
    }
    std::string linkError;
    fileName_ = replacedFile(name, linkError);
    if (fileName_.empty()) return fail(linkError);
    RemoveStaleTemporaries(folderOf(fileName_));
    removeOldScanTemporaries(fileName_);
    unnamed_ = false;
    int fd = -1;
    if (namedTemporary) {
        for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
            temporary_ = temporaryNameFor(fileName_, attempt);
            fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0 && errno != EEXIST) break;
        }
    } else {
        fd = createTemporary(fileName_, temporary_, unnamed_);
    }
    if (fd < 0) {
        temporary_.clear();
        return fail("Cannot create a file beside \"" + name + "\": " + reason(errno) + ".");
    }
    fd_ = fd;
    kind_ = Kind::Replace;
    return Status::success();
}

Status SafeFileStream::Write(std::string_view bytes) {
    if (!error_) return error_;
    if (fd_ < 0 || prepared_) return fail("Cannot write \"" + name_ + "\": it is not open.");
    int error = 0;
    bool written = true;
    if (staging_) {
        Staging& staging = *staging_;
        while (written && !bytes.empty()) {
            const size_t taken = std::min(Staging::kBlock - staging.size, bytes.size());
            std::memcpy(staging.data + staging.size, bytes.data(), taken);
            staging.size += taken;
            bytes.remove_prefix(taken);
            if (staging.size == Staging::kBlock) written = writeStaged(error);
        }
    } else {
        written = writeAll(fd_, bytes, error);
    }
    if (written) return Status::success();
    if (kind_ != Kind::Replace)
        return fail("Cannot write \"" + name_ + "\": " + reason(error) + ".");
    const Status status =
        fail("Cannot write \"" + name_ + "\": " + reason(error) + ". The file was left as it was.");
    Discard();
    return status;
}

Status SafeFileStream::Prepare() {
    if (!error_) return error_;
    if (prepared_) return Status::success();
    if (fd_ < 0) return fail("Cannot write \"" + name_ + "\": it is not open.");
    int error = 0;
    if (kind_ == Kind::Own) {
        fd_ = -1;
    } else if (kind_ == Kind::Direct) {
        if (::close(fd_) != 0 && errno != EINTR) error = errno;
        fd_ = -1;
        if (error != 0) return fail("Cannot write \"" + name_ + "\": " + reason(error) + ".");
    } else {
        if (staging_) {
            // The last part of a block is written through the page cache.
            staging_->direct = false;
            ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_DIRECT);
            writeStaged(error);
            staging_.reset();
        }
        if (error == 0 && ::fsync(fd_) != 0) error = errno;
        if (error == 0 && unnamed_) {
            if (nameTemporary(fd_, fileName_, temporary_))
                unnamed_ = false;
            else
                error = errno;
        }
        if (::close(fd_) != 0 && error == 0) error = errno;
        fd_ = -1;
        if (error != 0) {
            const Status status = fail("Cannot write \"" + name_ + "\": " + reason(error) +
                                       ". The file was left as it was.");
            Discard();
            return status;
        }
    }
    prepared_ = true;
    return Status::success();
}

Status SafeFileStream::Commit() {
    const Status prepared = Prepare();
    if (!prepared) return prepared;
    if (kind_ == Kind::Replace) {
        if (std::rename(temporary_.c_str(), fileName_.c_str()) != 0) {
            const Status status = fail("Cannot write \"" + name_ + "\": " + reason(errno) +
                                       ". The file was left as it was.");
            Discard();
            return status;
        }
        temporary_.clear();
        syncFolder(fileName_);
    }
    kind_ = Kind::None;
    prepared_ = false;
    return Status::success();
}

void SafeFileStream::Discard() {
    staging_.reset();
    if (fd_ >= 0 && kind_ != Kind::Own) ::close(fd_);
    fd_ = -1;
    if (kind_ == Kind::Replace && !unnamed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
    unnamed_ = false;
    prepared_ = false;
    kind_ = Kind::None;
}

namespace {

// "\"a\", \"b\" and \"c\"".
std::string listed(const std::vector<std::string>& names) {
    std::string text;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += "\"" + names[i] + "\"";
    }
    return text;
}

}  // namespace

Status CommitTogether(const std::vector<SafeFileStream*>& files) {
    for (SafeFileStream* file : files) {
        if (file->Name().empty()) continue;
        const Status prepared = file->Prepare();
        if (!prepared) return AbandonTogether(files, prepared);
    }
    std::vector<std::string> written;
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i]->Name().empty()) continue;
        Status committed = files[i]->Commit();
        if (committed) {
            written.push_back(files[i]->Name());
            continue;
        }
        std::vector<std::string> left{files[i]->Name()};
        for (size_t j = i + 1; j < files.size(); ++j) {
            if (files[j]->Name().empty()) continue;
            left.push_back(files[j]->Name());
            files[j]->Discard();
        }
        if (!written.empty()) committed.message += " Written: " + listed(written) + ".";
        committed.message += " Not written: " + listed(left) + ".";
        return committed;
    }
    return Status::success();
}

Status AbandonTogether(const std::vector<SafeFileStream*>& files, Status failure) {
    std::vector<std::string> left;
    for (SafeFileStream* file : files) {
        if (file->Name().empty()) continue;
        left.push_back(file->Name());
        file->Discard();
    }
    if (!left.empty()) failure.message += " Not written: " + listed(left) + ".";
    return failure;
}

Status WriteFileAtomically(const std::string& requestedName, std::string_view bytes) {
    SafeFileStream file;
    Status status = file.Open(requestedName);
    if (status) status = file.Write(bytes);
    if (status) status = file.Commit();
    return status;
}

Status ReadWholeFile(const std::string& fileName, std::string& bytes, size_t maxBytes,
                     std::string_view kind) {
    return about(readWhole(fileName, bytes, maxBytes, kind), fileName);
}

std::string WithExtension(const std::string& name, std::string_view extension) {
    if (name.size() >= extension.size() &&
        name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
        return name;
    }
    return name + std::string(extension);
}

}  // namespace motifora
