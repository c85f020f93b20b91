// The modal dialogs of the window: message boxes, file choosers, the about box, the help viewer.
#pragma once

#include <optional>
#include <string>

namespace motifora {

enum class MessageIcon { None, Information, Warning, Error };
enum class MessageButtons { Ok, YesNoCancel };
enum class DialogAnswer { Ok, Yes, No, Cancel };

struct MessageRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    // What was done to the data or why it was refused, shown in plain sight beside the text
    // (not among the details); empty for most boxes. Lines of it may be marked texts.
    std::string headline = {};
};

// A file chooser: the window's dialog component name (e.g. "AddSeqsDlg"), its filter in the
// "Description (*.ext)|*.ext" form, title, default file name and initial folder (empty = none).
// `moreFilters`, in the same form, are offered after `filter` (which stays the first choice).
struct FileRequest {
    std::string dialog;
    std::string filter;
    std::string title;
    std::string defaultName;
    std::string initialFolder;
    std::string moreFilters = {};
};

// Why the help viewer could not be started.
enum class LaunchFailure {
    None,
    AccessDenied,
    TooManyOpenFiles,
    NotFound,
    NotExecutable,
    NotEnoughMemory,
    Other
};

// The window reaches every modal dialog and the outside program through this interface. The Qt
// front end shows real dialogs; tests and the batch front end answer from a script.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // Shows a message box and returns the button pressed (Ok for a box with one button).
    virtual DialogAnswer messageBox(const MessageRequest& request) = 0;
    // Open and save choosers: the chosen full path, or nothing when cancelled.
    virtual std::optional<std::string> openFile(const FileRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileRequest& request) = 0;
    // Shows the about box modally (caption "AboutFrm", one "Close" button).
    virtual void showAbout() {}
    // Starts `program` with one argument without waiting; returns why it failed, or None.
    virtual LaunchFailure launch(const std::string& program, const std::string& argument);
};

// Starts a program with posix_spawnp and maps the failure to a LaunchFailure.
LaunchFailure launchDetached(const std::string& program, const std::string& argument);

}  // namespace motifora
