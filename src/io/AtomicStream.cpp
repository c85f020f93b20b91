// The piecewise atomic writer.
#include "io/AtomicStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace motifora {

AtomicStream::~AtomicStream() { discard(); }

void AtomicStream::discard() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

Status AtomicStream::Open(const std::string& target) {
    discard();
    error_ = 0;
    target_ = target;
    if (target.empty()) return Status::failure("No file name was given.");
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return Status::failure("Cannot write \"" + target + "\": it is a folder.");
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = target + ".part-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(device() & 0xFFFFFFu);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            return Status::failure("Cannot write \"" + target + "\": " + std::strerror(errno));
        }
        file_ = ::fdopen(fd, "wb");
        if (file_ == nullptr) {
            const int error = errno;
            ::close(fd);
            ::unlink(name.c_str());
            return Status::failure("Cannot write \"" + target + "\": " + std::strerror(error));
        }
        temporary_ = name;
        return Status::success();
    }
    return Status::failure("Cannot write \"" + target + "\": no free temporary name");
}

void AtomicStream::Write(std::string_view bytes) {
    if (file_ == nullptr || error_ != 0 || bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) error_ = errno;
}

Status AtomicStream::Commit() {
    if (file_ == nullptr) return Status::failure("Cannot write \"" + target_ + "\": not open");
    if (error_ == 0 && std::fflush(file_) != 0) error_ = errno;
    if (error_ == 0 && ::fsync(::fileno(file_)) != 0) error_ = errno;
    if (std::fclose(file_) != 0 && error_ == 0) error_ = errno;
    file_ = nullptr;
    if (error_ == 0 && ::rename(temporary_.c_str(), target_.c_str()) != 0) error_ = errno;
    if (error_ != 0) {
        const int error = error_;
        discard();
        return Status::failure("Cannot write \"" + target_ + "\": " + std::strerror(error));
    }
    temporary_.clear();
    return Status::success();
}

}  // namespace motifora
