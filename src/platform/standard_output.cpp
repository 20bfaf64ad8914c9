#include "platform/standard_output.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

namespace morvek::platform {

StandardOutput::StandardOutput(QObject* parent) : QObject(parent) {
    // A write to a pipe nobody reads fails with EPIPE instead of ending the process unannounced.
    std::signal(SIGPIPE, SIG_IGN);
    // A pipe whose reader has gone says so (POLLERR) without a write: the run ends even when the
    // next line is a poll interval away. Files and terminals need no watch.
    struct stat info {};
    if (fstat(STDOUT_FILENO, &info) != 0 || !S_ISFIFO(info.st_mode)) return;
    watch_.callOnTimeout(this, [this] {
        pollfd out{STDOUT_FILENO, 0, 0};
        if (poll(&out, 1, 0) == 1 && (out.revents & (POLLERR | POLLHUP))) Fail(EPIPE);
    });
    watch_.start(kWatchMs);
}

void StandardOutput::Write(std::string_view text) {
    if (failed_) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        Fail(errno != 0 ? errno : EIO);
}

void StandardOutput::Fail(int error) {
    if (failed_) return;
    failed_ = true;
    watch_.stop();
    if (failed) failed("cannot write to standard output: " + std::string(std::strerror(error)));
}

}  // namespace morvek::platform
