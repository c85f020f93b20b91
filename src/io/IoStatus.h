// The result of a file operation of the io module: success, or a message saying what failed.
#pragma once

#include <string>
#include <utility>

namespace motifora {

struct IoStatus {
    bool ok = true;
    // For a failure: which file, which section, record or row, and what is wrong.
    std::string message;

    static IoStatus success() { return {}; }
    static IoStatus failure(std::string text) { return {false, std::move(text)}; }
    explicit operator bool() const { return ok; }
};

}  // namespace motifora
