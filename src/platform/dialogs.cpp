#include "platform/dialogs.h"

#include <algorithm>

#include "core/text.h"

namespace morvek::platform {

MessageResult Dialogs::Message(const std::string& text, const std::string& title, MessageIcon icon,
                               MessageButtons buttons) {
    return ShowMessage(FromCp1252(text), title, icon, buttons);
}

void NewsBoxes::Show(const std::string& text, const std::string& title, MessageIcon icon) {
    if (std::find(open_.begin(), open_.end(), text) != open_.end()) return;
    open_.push_back(text);
    dialogs_.Message(text, title, icon, MessageButtons::Ok);
    open_.erase(std::find(open_.begin(), open_.end(), text));
}

MessageResult ScriptedDialogs::ShowMessage(const QString& text, const std::string& title,
                                           MessageIcon icon, MessageButtons buttons) {
    // A server can make the program say something at every datagram: keep the latest only.
    if (messages.size() >= kKeptMessages) messages.erase(messages.begin());
    messages.push_back({text, title, icon, buttons});
    if (on_message) on_message(messages.back());
    if (!answers.empty()) {
        MessageResult answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
}

std::optional<QString> ScriptedDialogs::OpenFile(const OpenFileRequest& request) {
    file_requests.push_back(request);
    if (files.empty()) return std::nullopt;
    auto file = files.front();
    files.erase(files.begin());
    if (!file) return std::nullopt;
    return QString::fromStdString(*file);
}

}  // namespace morvek::platform
