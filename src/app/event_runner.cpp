#include "app/event_runner.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <signal.h>
#include <unistd.h>
#endif
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace morvek::app {

std::optional<QStringList> SplitCommandWords(const QString& command) {
    QStringList words;
    QString word;
    bool in_word = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (in_word) words << word;
            word.clear();
            in_word = false;
            continue;
        }
        in_word = true;
        if (c == '\\') {
            if (++i == command.size()) return std::nullopt;
            if (command[i] != '\n') word += command[i];
        } else if (c == '\'') {
            const qsizetype end = command.indexOf('\'', i + 1);
            if (end < 0) return std::nullopt;
            word += command.mid(i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            // Inside double quotes a backslash escapes only $ ` " \ and a line end.
            for (++i;; ++i) {
                if (i == command.size()) return std::nullopt;
                if (command[i] == '"') break;
                if (command[i] == '\\' && i + 1 < command.size() &&
                    QStringLiteral("$`\"\\\n").contains(command[i + 1])) {
                    if (command[++i] != '\n') word += command[i];
                } else {
                    word += command[i];
                }
            }
        } else {
            word += c;
        }
    }
    if (in_word) words << word;
    return words;
}

std::optional<std::string> EventRunner::SetCommand(const QString& command) {
    auto words = SplitCommandWords(command);
    if (!words) return "unterminated quote in " + command.toStdString();
    if (words->isEmpty()) return std::string("no program named");
    const QString program = words->takeFirst();
    const QString found = program.contains('/') ? program : QStandardPaths::findExecutable(program);
    const QFileInfo info(found);
    if (found.isEmpty() || !info.isFile() || !info.isExecutable())
        return "cannot run " + program.toStdString();
    program_ = found;
    arguments_ = *words;
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, &EventRunner::Kill);
    return std::nullopt;
}

void EventRunner::Tell(const std::string& text) {
    if (tell)
        tell(text);
    else
        std::fprintf(stderr, "morvek: %s\n", text.c_str());
}

void EventRunner::Run(const QByteArray& json_line) {
    if (program_.isEmpty()) return;
    if (queue_.size() >= kEventQueueSize) {
        Tell("--on-event is behind; an event was dropped");
        return;
    }
    queue_.push_back(json_line);
    if (!process_) StartNext();
}

void EventRunner::StartNext() {
    if (queue_.empty()) return;
    const QByteArray line = queue_.front();
    queue_.pop_front();
    process_ = new QProcess(this);
    process_->setProcessChannelMode(QProcess::ForwardedChannels);
#ifdef Q_OS_UNIX
    process_->setChildProcessModifier([] {
        // Its own process group, so a kill reaches what it starts; its output onto stderr.
        ::setpgid(0, 0);
        ::dup2(STDERR_FILENO, STDOUT_FILENO);
#ifdef Q_OS_LINUX
        // Even a killed monitor leaves no command behind.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
    });
#endif
    connect(process_, &QProcess::finished, this, &EventRunner::Done);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            Tell("cannot start " + program_.toStdString());
            Done();
        }
    });
    QProcess* started = process_;
    started->start(program_, arguments_);
    if (process_ != started) return;  // failed to start, and the next one is under way
    started->write(line);
    started->closeWriteChannel();
    limit_.start(kEventCommandLimitMs);
}

void EventRunner::Kill() {
    if (!process_) return;
#ifdef Q_OS_UNIX
    if (const qint64 pid = process_->processId(); pid > 0) ::kill(-pid_t(pid), SIGKILL);
#endif
    process_->kill();
}

void EventRunner::Done() {
    limit_.stop();
    if (process_) process_->deleteLater();
    process_ = nullptr;
    StartNext();
}

void EventRunner::Finish() {
    const QDeadlineTimer deadline(kEventFinishMs);
    // Each turn ends one run and starts the next queued one, so this ends.
    while (QProcess* running = process_) {
        if (!running->waitForFinished(int(deadline.remainingTime()))) {
            const std::size_t dropped = queue_.size();
            queue_.clear();
            Kill();
            running->waitForFinished(kEventFinishMs);
            if (dropped) Tell("--on-event: " + std::to_string(dropped) + " events dropped at exit");
        }
        if (process_ == running) Done();
    }
}

}  // namespace morvek::app
