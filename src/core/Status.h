// The outcome of an operation that can fail on bad input or a failing file: success, or what
// failed, where, and the whole message for the user. Every reader and writer of the program
// (sequence files, FASTA, projects, reports, tracks) and the workspace's loads and saves report
// with it.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace motifora {

struct Status {
    bool ok = true;
    // For a failure: the whole text for the user. It names the file, the record, line or
    // section and what is wrong, in the words of the operation that failed.
    std::string message;
    // Where it failed, when the operation knows: the file, and the 1-based line and record
    // (0 when the fault is not tied to one).
    std::string file;
    int64_t line = 0;
    int64_t record = 0;

    static Status success() { return {}; }
    static Status failure(std::string text) { return {false, std::move(text), {}, 0, 0}; }
    static Status failure(std::string text, std::string fileName, int64_t atLine = 0,
                          int64_t atRecord = 0) {
        return {false, std::move(text), std::move(fileName), atLine, atRecord};
    }
    explicit operator bool() const { return ok; }
};

}  // namespace motifora
