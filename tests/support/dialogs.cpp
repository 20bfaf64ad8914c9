#include "support/dialogs.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "core/text.h"

namespace morvek::testing {

platform::MessageResult Dialogs::ShowMessage(const QString& text, const std::string& title,
                                             platform::MessageIcon icon,
                                             platform::MessageButtons buttons) {
    const auto answer = ScriptedDialogs::ShowMessage(text, title, icon, buttons);
    Spin();
    return answer;
}

std::optional<QString> Dialogs::OpenFile(const platform::OpenFileRequest& request) {
    auto file = ScriptedDialogs::OpenFile(request);
    Spin();
    return file;
}

std::vector<std::string> Dialogs::Texts() const {
    std::vector<std::string> texts;
    for (const auto& shown : messages) texts.push_back(ToCp1252(shown.text));
    return texts;
}

void Dialogs::Spin() {
    deepest = std::max(deepest, ++open_);
    if (modal_ms > 0) {
        QEventLoop loop;
        QTimer::singleShot(modal_ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    --open_;
}

}  // namespace morvek::testing
