// The window's dialogs in a batch run: messages go to standard error, file choosers take the
// paths the command line gave, questions are answered No.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/model/Dialogs.h"

namespace motifora {

// Every message box is printed as "Caption: text" on the error stream (success messages, those
// with the information icon, are left out when quiet, except the warning lines below their
// first line) and recorded; a box's headline (what a load did to the data) follows as
// "motifora-cli: warning: ..." lines, quiet or not, unless the text already holds it. A question
// (Yes/No/Cancel) is answered No: a batch run never saves over a file it was not asked to write.
// File choosers take the next path queued with `choose`; with none queued they are cancelled. The
// help viewer is never started. With `english` the printed caption and text are in English (the
// record keeps the original words, which the batch run compares). Safe to call from the worker
// thread.
class BatchDialogs final : public Dialogs {
  public:
    BatchDialogs(std::ostream& err, bool quiet, bool english = false)
        : err_(err), quiet_(quiet), english_(english) {}

    DialogAnswer messageBox(const MessageRequest& request) override;
    std::optional<std::string> openFile(const FileRequest& request) override;
    std::optional<std::string> saveFile(const FileRequest& request) override;
    void showAbout() override {}
    LaunchFailure launch(const std::string& program, const std::string& argument) override;

    // Queues the path the next file chooser returns.
    void choose(const std::string& path);
    // Drops the paths no chooser took, so that a command that did not open its chooser never
    // hands its path to a later one.
    void clearPaths();
    // Number of messages shown so far (a mark for messagesSince).
    size_t messageCount() const;
    // The messages shown since `mark`, in order.
    std::vector<MessageRequest> messagesSince(size_t mark) const;
    // The first message since `mark` with the error icon, if any.
    std::optional<MessageRequest> errorSince(size_t mark) const;
    // The last message since `mark`, if any.
    std::optional<MessageRequest> lastSince(size_t mark) const;
    // A message text as this run prints it (in English with --lang en).
    std::string shown(const std::string& text) const;

  private:
    std::optional<std::string> nextPath();

    mutable std::mutex mutex_;
    std::ostream& err_;
    bool quiet_;
    bool english_;
    std::vector<MessageRequest> messages_;
    std::deque<std::string> paths_;
};

}  // namespace motifora
