// The dialogs double: scripted answers as platform::ScriptedDialogs gives them, and, when
// modal_ms is set, each box behaves like a real modal one: it spins a nested event loop for that
// long before it answers, so timers and datagrams are delivered while it is open.
#pragma once

#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace morvek::testing {

class Dialogs : public platform::ScriptedDialogs {
  public:
    int modal_ms = 0;
    // The most boxes open at once so far (a box raised from inside another one's loop counts 2).
    int deepest = 0;

    platform::MessageResult ShowMessage(const QString& text, const std::string& title,
                                        platform::MessageIcon icon,
                                        platform::MessageButtons buttons) override;
    std::optional<QString> OpenFile(const platform::OpenFileRequest& request) override;

    // The texts of the messages shown, in order, in Windows-1252.
    std::vector<std::string> Texts() const;

  private:
    void Spin();
    int open_ = 0;
};

}  // namespace morvek::testing
