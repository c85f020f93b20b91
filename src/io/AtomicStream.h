// A file written piece by piece that replaces its target only when complete: the pieces go to a
// temporary file beside the target, renamed over it by Commit.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/Status.h"

namespace motifora {

class AtomicStream {
  public:
    AtomicStream() = default;
    // Removes the temporary file when Commit was never reached.
    ~AtomicStream();
    AtomicStream(const AtomicStream&) = delete;
    AtomicStream& operator=(const AtomicStream&) = delete;

    // Creates the temporary file beside `target`. Fails (naming the file and the reason) when it
    // cannot be created or `target` is a folder.
    Status Open(const std::string& target);
    // Appends bytes; a write failure is remembered and reported by Commit.
    void Write(std::string_view bytes);
    // Flushes the file to the disk and renames it over the target. Returns the first failure
    // of the writes, the flush or the rename (the target is then left as it was).
    Status Commit();
    bool IsOpen() const { return file_ != nullptr; }

  private:
    void discard();

    std::FILE* file_ = nullptr;
    std::string target_;
    std::string temporary_;
    int error_ = 0;
};

}  // namespace motifora
