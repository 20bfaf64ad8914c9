// --on-event COMMAND: runs the command once per event with the event's JSON line on its standard
// input. The command is split into a program and its arguments (quotes group words) and started
// without a shell; one runs at a time, the others wait in a bounded queue (events beyond it are
// dropped and said so on stderr), and a run that outlasts the time limit is killed.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTimer>
#include <deque>

namespace morvek::app {

inline constexpr int kEventCommandLimitMs = 10000;
inline constexpr std::size_t kEventQueueSize = 64;

class EventRunner : public QObject {
    Q_OBJECT
  public:
    // False when the command names no program.
    bool SetCommand(const QString& command);
    void Run(const QByteArray& json_line);
    // Lets the running and the queued commands finish (each within the time limit).
    void Finish();

  private:
    void StartNext();
    void Done();

    QString program_;
    QStringList arguments_;
    std::deque<QByteArray> queue_;
    QProcess* process_ = nullptr;
    QTimer limit_;
};

}  // namespace morvek::app
