// The headless monitor's standard output. Every line goes through Write. When nobody reads any
// more (the reader of a pipe went away) or a write fails (a full disk), `failed` is called once
// with the reason and nothing more is written: the run has no one to report to.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <string_view>

namespace morvek::platform {

class StandardOutput : public QObject {
  public:
    // The exit status of a run whose output failed: that of a program ended by a broken pipe.
    static constexpr int kFailedStatus = 141;
    // How often a pipe is checked for a reader that went away between two writes.
    static constexpr int kWatchMs = 200;

    explicit StandardOutput(QObject* parent = nullptr);
    void Write(std::string_view text);
    bool Failed() const { return failed_; }

    std::function<void(const std::string& why)> failed;

  private:
    void Fail(int error);

    QTimer watch_;
    bool failed_ = false;
};

}  // namespace morvek::platform
