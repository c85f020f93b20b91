// Dialog answers taken from a script, with a record of every dialog shown (tests, batch runs).
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/model/Dialogs.h"

namespace motifora {

// Message boxes take the next scripted answer (Ok, or Yes for a question, when the script is
// empty); file choosers take the next scripted path (nothing = cancelled; an empty script
// cancels). The help viewer is not started: the scripted launch result is returned.
class ScriptedDialogs : public Dialogs {
  public:
    struct FileShown {
        bool save = false;
        FileRequest request;
    };

    void answer(DialogAnswer next) { answers_.push_back(next); }
    void choose(std::optional<std::string> path) { paths_.push_back(std::move(path)); }
    void launchResult(LaunchFailure result) { launchResult_ = result; }

    DialogAnswer messageBox(const MessageRequest& request) override;
    std::optional<std::string> openFile(const FileRequest& request) override;
    std::optional<std::string> saveFile(const FileRequest& request) override;
    void showAbout() override { ++aboutShown; }
    LaunchFailure launch(const std::string& program, const std::string& argument) override;

    // Runs while a file chooser is open, before it answers: a real window's timer goes on
    // ticking behind a modal dialog, and a test makes that moment happen here.
    std::function<void()> whileChoosing;

    // What was shown, in order.
    std::vector<MessageRequest> messages;
    std::vector<FileShown> files;
    std::vector<std::string> launches;  // "program argument"
    int aboutShown = 0;

    // Texts of the messages shown so far; clears the record when `clear` is set.
    std::vector<std::string> texts(bool clear = false);
    size_t unusedPaths() const { return paths_.size(); }

  private:
    // Records the file dialog and gives the next scripted path (none when the script is out).
    std::optional<std::string> nextPath(bool save, const FileRequest& request);
    std::deque<DialogAnswer> answers_;
    std::deque<std::optional<std::string>> paths_;
    LaunchFailure launchResult_ = LaunchFailure::None;
};

}  // namespace motifora
