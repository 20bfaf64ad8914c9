#include "app/event_runner.h"

#include <cstdio>

namespace morvek::app {

bool EventRunner::SetCommand(const QString& command) {
    QStringList words = QProcess::splitCommand(command);
    if (words.isEmpty()) return false;
    program_ = words.takeFirst();
    arguments_ = words;
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, [this] {
        if (process_) process_->kill();
    });
    return true;
}

void EventRunner::Run(const QByteArray& json_line) {
    if (program_.isEmpty()) return;
    if (queue_.size() >= kEventQueueSize) {
        std::fputs("morvek: --on-event is behind; an event was dropped\n", stderr);
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
    connect(process_, &QProcess::finished, this, &EventRunner::Done);
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            std::fprintf(stderr, "morvek: cannot start %s\n", qPrintable(program_));
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

void EventRunner::Done() {
    limit_.stop();
    if (process_) process_->deleteLater();
    process_ = nullptr;
    StartNext();
}

void EventRunner::Finish() {
    // Each turn ends one run and starts the next queued one, so this ends.
    while (QProcess* running = process_) {
        if (!running->waitForFinished(kEventCommandLimitMs)) {
            running->kill();
            running->waitForFinished(1000);
        }
        if (process_ == running) Done();
    }
}

}  // namespace morvek::app
