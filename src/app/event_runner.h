// --on-event COMMAND: runs the command once per event with the event's JSON line on its standard
// input. The command is split into a program and its arguments as a POSIX shell splits words
// (single quotes, double quotes, backslash) and started without a shell; one runs at a time, the
// others wait in a bounded queue (events beyond it are dropped and said so), and a run that
// outlasts the time limit is killed with its process group. The command's standard output goes to
// the monitor's standard error, so it never mixes with the JSON stream.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace morvek::app {

inline constexpr int kEventCommandLimitMs = 10000;
inline constexpr int kEventFinishMs = 1000;
inline constexpr std::size_t kEventQueueSize = 64;

// The words of a command as a POSIX shell splits them, without expanding anything; nothing for
// an unterminated quote or a backslash at the end.
std::optional<QStringList> SplitCommandWords(const QString& command);

class EventRunner : public QObject {
    Q_OBJECT
  public:
    // Sets the command; the reason when it is refused: no program, an unterminated quote, or a
    // program that cannot be found or run.
    std::optional<std::string> SetCommand(const QString& command);
    void Run(const QByteArray& json_line);
    // At exit: lets the running and queued commands go on for at most kEventFinishMs in all,
    // then kills the running one with its process group and drops the queue.
    void Finish();

    // Where the runner tells what went wrong (a command that could not start, dropped events).
    std::function<void(const std::string&)> tell;

  private:
    void StartNext();
    void Done();
    void Kill();
    void Tell(const std::string& text);

    QString program_;
    QStringList arguments_;
    std::deque<QByteArray> queue_;
    QProcess* process_ = nullptr;
    QTimer limit_;
};

}  // namespace morvek::app
