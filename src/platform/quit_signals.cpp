#include "platform/quit_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifndef Q_OS_WIN
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#endif

namespace morvek::platform {

namespace {
std::function<void()>& Callback() {
    static std::function<void()> callback;
    return callback;
}
#ifndef Q_OS_WIN
int g_pipe[2] = {-1, -1};

void Handler(int) {
    char byte = 1;
    // Only async-signal-safe calls here; the event loop does the rest.
    [[maybe_unused]] ssize_t n = ::write(g_pipe[0], &byte, 1);
}
#endif
}  // namespace

void OnQuitSignal(std::function<void()> callback) {
    Callback() = std::move(callback);
#ifndef Q_OS_WIN
    if (g_pipe[0] != -1) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_pipe) != 0) return;
    auto* notifier =
        new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(g_pipe[1], &byte, 1);
        if (Callback()) Callback()();
    });
    struct sigaction action {};
    action.sa_handler = Handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
#endif
}

}  // namespace morvek::platform
