// The window's dialogs in a batch run: printed messages, scripted paths, questions answered No.
#include "cli/BatchDialogs.h"

#include <algorithm>

#include "cli/EnglishTexts.h"

namespace motifora {

DialogAnswer BatchDialogs::messageBox(const MessageRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(request);
    const bool question = request.buttons != MessageButtons::Ok;
    if (!(quiet_ && request.icon == MessageIcon::Information)) {
        err_ << shown(request.caption) << ": " << shown(request.text)
             << (question ? " [answered No]" : "") << "\n";
        err_.flush();
    } else if (const size_t details = request.text.find('\n'); details != std::string::npos) {
        // Quiet hides a success message's own words, not the warnings below them.
        err_ << request.text.substr(details + 1) << "\n";
        err_.flush();
    }
    // What was done to the data is a warning, quiet or not; a refusal's reason is printed once.
    if (!request.headline.empty() && request.text.find(request.headline) == std::string::npos) {
        const std::string headline = shown(request.headline);
        for (size_t at = 0; at < headline.size();) {
            const size_t end = std::min(headline.find('\n', at), headline.size());
            err_ << "motifora-cli: warning: " << headline.substr(at, end - at) << "\n";
            at = end + 1;
        }
        err_.flush();
    }
    return question ? DialogAnswer::No : DialogAnswer::Ok;
}

std::string BatchDialogs::shown(const std::string& text) const {
    return english_ ? inEnglish(text) : text;
}

std::optional<std::string> BatchDialogs::nextPath() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (paths_.empty()) return std::nullopt;
    std::string path = std::move(paths_.front());
    paths_.pop_front();
    return path;
}

std::optional<std::string> BatchDialogs::openFile(const FileRequest& request) {
    (void)request;
    return nextPath();
}

std::optional<std::string> BatchDialogs::saveFile(const FileRequest& request) {
    (void)request;
    return nextPath();
}

LaunchFailure BatchDialogs::launch(const std::string& program, const std::string& argument) {
    (void)program, (void)argument;
    return LaunchFailure::NotFound;
}

void BatchDialogs::choose(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    paths_.push_back(path);
}

void BatchDialogs::clearPaths() {
    std::lock_guard<std::mutex> lock(mutex_);
    paths_.clear();
}

size_t BatchDialogs::messageCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_.size();
}

std::vector<MessageRequest> BatchDialogs::messagesSince(size_t mark) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (mark >= messages_.size()) return {};
    return {messages_.begin() + static_cast<std::ptrdiff_t>(mark), messages_.end()};
}

std::optional<MessageRequest> BatchDialogs::errorSince(size_t mark) const {
    for (const MessageRequest& m : messagesSince(mark))
        if (m.icon == MessageIcon::Error) return m;
    return std::nullopt;
}

std::optional<MessageRequest> BatchDialogs::lastSince(size_t mark) const {
    auto shown = messagesSince(mark);
    if (shown.empty()) return std::nullopt;
    return shown.back();
}

}  // namespace motifora
