// Dialog answers taken from a script, with a record of every dialog shown.
#include "ui/model/ScriptedDialogs.h"

namespace motifora {

DialogAnswer ScriptedDialogs::messageBox(const MessageRequest& request) {
    messages.push_back(request);
    if (answers_.empty())
        return request.buttons == MessageButtons::Ok ? DialogAnswer::Ok : DialogAnswer::Yes;
    const DialogAnswer next = answers_.front();
    answers_.pop_front();
    return next;
}

std::optional<std::string> ScriptedDialogs::openFile(const FileRequest& request) {
    return nextPath(false, request);
}

std::optional<std::string> ScriptedDialogs::saveFile(const FileRequest& request) {
    return nextPath(true, request);
}

std::optional<std::string> ScriptedDialogs::nextPath(bool save, const FileRequest& request) {
    files.push_back({save, request});
    if (whileChoosing) whileChoosing();
    if (paths_.empty()) return std::nullopt;
    auto next = paths_.front();
    paths_.pop_front();
    return next;
}

LaunchFailure ScriptedDialogs::launch(const std::string& program, const std::string& argument) {
    launches.push_back(program + " " + argument);
    return launchResult_;
}

std::vector<std::string> ScriptedDialogs::texts(bool clear) {
    std::vector<std::string> result;
    for (const auto& m : messages) result.push_back(m.text);
    if (clear) messages.clear();
    return result;
}

}  // namespace motifora
