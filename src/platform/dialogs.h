// Where the program asks or tells the user something: message boxes, the open-file dialog and the
// print dialog. The window wires dialogs that show real boxes; the headless front-end and the
// tests wire ones that answer by themselves.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace morvek::platform {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo };
enum class MessageResult { Ok, Yes, No };

// The open-file dialog's options. The filter is written as "Description|pattern|Description|..."
// exactly as the program states it.
struct OpenFileRequest {
    std::string title;
    std::string filter;
    std::string default_extension;  // ".mv"
    bool must_exist = false;        // otherwise a save dialog: a new file name may be typed in
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A message box. `text` holds lines joined by a carriage return (character 13); it is the
    // user's own text where it names a file.
    virtual MessageResult ShowMessage(const QString& text, const std::string& title,
                                      MessageIcon icon, MessageButtons buttons) = 0;
    // The same of a text in Windows-1252 (the program's own texts and the server's).
    MessageResult Message(const std::string& text, const std::string& title, MessageIcon icon,
                          MessageButtons buttons);
    // The chosen file (its full name, as the file system spells it) or nothing when the user
    // cancels. A file name stays a QString up to the file calls: it is no text of the server's.
    virtual std::optional<QString> OpenFile(const OpenFileRequest& request) = 0;
};

// Boxes with one OK button for news that can come again while its box is open (datagrams and
// timers go on under a modal box): a text whose box is still on screen is not shown again.
class NewsBoxes {
  public:
    explicit NewsBoxes(Dialogs& dialogs) : dialogs_(dialogs) {}
    void Show(const std::string& text, const std::string& title, MessageIcon icon);

  private:
    Dialogs& dialogs_;
    std::vector<std::string> open_;
};

// Answers every question with its default button and records what was asked; used by the
// headless front-end (which also prints each message) and by the tests.
class ScriptedDialogs : public Dialogs {
  public:
    struct Shown {
        QString text;
        std::string title;
        MessageIcon icon;
        MessageButtons buttons;
    };
    MessageResult ShowMessage(const QString& text, const std::string& title, MessageIcon icon,
                              MessageButtons buttons) override;
    std::optional<QString> OpenFile(const OpenFileRequest& request) override;

    // The latest kKeptMessages messages, oldest first.
    static constexpr std::size_t kKeptMessages = 256;
    std::vector<Shown> messages;
    std::vector<OpenFileRequest> file_requests;
    // Scripted answers, taken in order; when they run out: Ok / Yes for messages, cancel for files.
    std::vector<MessageResult> answers;
    // The files to answer with, written as UTF-8.
    std::vector<std::optional<std::string>> files;
    // Called after each message is recorded (the headless front-end prints it there).
    std::function<void(const Shown&)> on_message;
};

}  // namespace morvek::platform
