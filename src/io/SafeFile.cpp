// Atomic whole-file writes (temporary file beside the target, then rename) and whole-file reads.
#include "io/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace motifora {

namespace {

std::string reason(int error) { return std::strerror(error); }

// A file name in the same folder as `target` that no other writer uses: the target's name, the
// process id, a counter and a random number.
std::string temporaryNameFor(const std::string& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    return target + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" +
           std::to_string(salt ^ (attempt * 2654435761u));
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

}  // namespace

IoStatus WriteFileAtomically(const std::string& requestedName, std::string_view bytes) {
    if (requestedName.empty()) return IoStatus::failure("No file name was given.");
    // Through a symbolic link the linked file is replaced, not the link.
    std::string fileName = requestedName;
    std::error_code error_code;
    if (std::filesystem::is_symlink(requestedName, error_code)) {
        const auto target = std::filesystem::weakly_canonical(requestedName, error_code);
        if (!error_code) fileName = target.string();
    }
    struct stat targetInfo {};
    if (::stat(fileName.c_str(), &targetInfo) == 0 && S_ISDIR(targetInfo.st_mode)) {
        return IoStatus::failure("Cannot write \"" + requestedName + "\": it is a folder.");
    }

    std::string temporary;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = temporaryNameFor(fileName, attempt);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        return IoStatus::failure("Cannot create a file beside \"" + requestedName +
                                 "\": " + reason(errno) + ".");
    }

    int error = 0;
    bool ok = writeAll(fd, bytes, error);
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
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
        ::unlink(temporary.c_str());
        return IoStatus::failure("Cannot write \"" + requestedName + "\": " + reason(error) +
                                 ". The file was left as it was.");
    }
    syncFolder(fileName);
    return IoStatus::success();
}

IoStatus ReadWholeFile(const std::string& fileName, std::string& bytes, size_t maxBytes) {
    struct stat info {};
    if (::stat(fileName.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return IoStatus::failure("Cannot read \"" + fileName + "\": it is a folder.");
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return IoStatus::failure("Cannot open \"" + fileName + "\": " + reason(errno) + ".");
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) return IoStatus::failure("Cannot read \"" + fileName + "\".");
    if (static_cast<uint64_t>(size) > maxBytes) {
        return IoStatus::failure("\"" + fileName + "\" is " + std::to_string(size) +
                                 " bytes long, more than the " + std::to_string(maxBytes) +
                                 " bytes a project may have.");
    }
    in.seekg(0, std::ios::beg);
    std::string content(static_cast<size_t>(size), '\0');
    if (size > 0 && !in.read(content.data(), size)) {
        return IoStatus::failure("Cannot read \"" + fileName + "\".");
    }
    bytes = std::move(content);
    return IoStatus::success();
}

std::string WithExtension(const std::string& name, std::string_view extension) {
    if (name.size() >= extension.size() &&
        name.compare(name.size() - extension.size(), extension.size(), extension) == 0) {
        return name;
    }
    return name + std::string(extension);
}

}  // namespace motifora
