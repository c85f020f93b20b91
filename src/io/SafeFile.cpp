// Safe whole-file writes (a regular file is replaced atomically through a temporary file beside
// it; a device or pipe is written directly) and whole-file reads.
#include "io/SafeFile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Streams `bytes` into something that is not a regular file (a terminal, a pipe, /dev/null):
// it cannot be replaced, only written.
Status writeDirectly(const std::string& name, std::string_view bytes) {
    const int fd = ::open(name.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return Status::failure("Cannot open \"" + name + "\": " + reason(errno) + ".");
    int error = 0;
    bool ok = writeAll(fd, bytes, error);
    if (::close(fd) != 0 && ok && errno != EINTR) {
        error = errno;
        ok = false;
    }
    if (!ok) return Status::failure("Cannot write \"" + name + "\": " + reason(error) + ".");
    return Status::success();
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

Status writeAtomically(const std::string& requestedName, std::string_view bytes) {
    if (requestedName.empty()) return Status::failure("No file name was given.");
    if (const int own = ownDescriptor(requestedName); own >= 0 && ::fcntl(own, F_GETFD) != -1) {
        int error = 0;
        if (!writeAll(own, bytes, error))
            return Status::failure("Cannot write \"" + requestedName + "\": " + reason(error) +
                                   ".");
        return Status::success();
    }
    struct stat targetInfo {};
    if (::stat(requestedName.c_str(), &targetInfo) == 0) {
        if (S_ISDIR(targetInfo.st_mode)) {
            return Status::failure("Cannot write \"" + requestedName + "\": it is a folder.");
        }
        if (!S_ISREG(targetInfo.st_mode)) return writeDirectly(requestedName, bytes);
    }
    std::string linkError;
    const std::string fileName = replacedFile(requestedName, linkError);
    if (fileName.empty()) return Status::failure(linkError);
    RemoveStaleTemporaries(folderOf(fileName));

    std::string temporary;
    bool unnamed = false;
    const int fd = createTemporary(fileName, temporary, unnamed);
    if (fd < 0) {
        return Status::failure("Cannot create a file beside \"" + requestedName +
                               "\": " + reason(errno) + ".");
    }

    int error = 0;
    bool ok = writeAll(fd, bytes, error);
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    bool named = !unnamed;
    if (ok && unnamed) {
        named = nameTemporary(fd, fileName, temporary);
        if (!named) {
            error = errno;
            ok = false;
        }
    }
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (ok && std::rename(temporary.c_str(), fileName.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        if (named) ::unlink(temporary.c_str());
        return Status::failure("Cannot write \"" + requestedName + "\": " + reason(error) +
                               ". The file was left as it was.");
    }
    syncFolder(fileName);
    return Status::success();
}

// What kind of thing `mode` (from stat) describes, for a refusal to read it.
const char* kindOf(mode_t mode) {
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a pipe";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
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
                                       kindOf(info.st_mode) + "; only regular files are read."));
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

Status WriteFileAtomically(const std::string& requestedName, std::string_view bytes) {
    return about(writeAtomically(requestedName, bytes), requestedName);
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
