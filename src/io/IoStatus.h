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

// The message box of a file that cannot be written (project, text export or HTML report):
// this text followed by the file name, caption "Ошибка", error icon. The status message may be
// shown below it for the reason.
inline constexpr const char* kWriteErrorText = "Ошибка записи в файл:";
inline constexpr const char* kWriteErrorCaption = "Ошибка";

}  // namespace motifora
