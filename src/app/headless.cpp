#include "app/headless.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/picture_printer.h"
#include "core/command_line.h"
#include "core/numbers.h"
#include "platform/dialogs.h"
#include "platform/quit_signals.h"
#include "query/connection.h"
#include "sim/sim_server.h"

namespace morvek {

namespace {

struct HeadlessOptions {
    bool json = false;
    long long polls = -1;  // -1: until stopped
    std::optional<double> check_s, timeout_s;
    std::optional<int> demo_type;
    std::vector<std::string> positional;
};

const char* kUsage =
    "usage: morvek --headless [--json] [--polls N] [--check SECONDS] [--timeout SECONDS]\n"
    "                         [--demo [TYPE]] [<n> <address> <port>]\n";

// false on an unknown option or a missing value.
bool ParseOptions(int argc, char** argv, HeadlessOptions& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--headless") continue;
        if (a == "--json")
            o.json = true;
        else if (a == "--polls") {
            if (!value(v)) return false;
            o.polls = static_cast<long long>(LeadingNumber(v));
        } else if (a == "--check") {
            if (!value(v)) return false;
            o.check_s = LeadingNumber(v);
        } else if (a == "--timeout") {
            if (!value(v)) return false;
            o.timeout_s = LeadingNumber(v);
        } else if (a == "--demo") {
            o.demo_type = 0;
            if (i + 1 < argc && std::string(argv[i + 1]).size() == 1 && argv[i + 1][0] >= '0' &&
                argv[i + 1][0] <= '3' && (i + 2 >= argc || argv[i + 2][0] == '-'))
                o.demo_type = argv[++i][0] - '0';
        } else if (a.rfind("--", 0) == 0) {
            return false;
        } else {
            o.positional.push_back(a);
        }
    }
    return true;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

class HeadlessHooks : public MonitorHooks {
  public:
    HeadlessHooks(Monitor& monitor, const HeadlessOptions& options)
        : monitor_(monitor), options_(options) {}

    void RecordPoint() override {
        ++tick_;
        std::string out = options_.json ? PictureJson(monitor_, tick_) + "\n"
                                        : PictureText(monitor_, tick_) + "\n";
        std::fwrite(out.data(), 1, out.size(), stdout);
        std::fflush(stdout);
        if (options_.polls >= 0 && static_cast<long long>(tick_) >= options_.polls && on_last_tick)
            on_last_tick();
    }
    void RefreshPanel() override {
        if (on_refresh) on_refresh();
    }
    void ProcessEvents() override { QCoreApplication::processEvents(); }

    std::function<void()> on_last_tick;
    std::function<void()> on_refresh;

  private:
    Monitor& monitor_;
    const HeadlessOptions& options_;
    std::uint64_t tick_ = 0;
};

}  // namespace

int RunHeadless(int argc, char** argv) {
    HeadlessOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    QCoreApplication app(argc, argv);

    Monitor monitor;
    platform::ScriptedDialogs dialogs;
    dialogs.on_message = [&](const platform::ScriptedDialogs::Shown& shown) {
        std::fprintf(stderr, "%s: %s\n", Cp1252ToUtf8(shown.title).c_str(),
                     Cp1252ToUtf8(OneLine(shown.text)).c_str());
        if (options.json) {
            std::string line = MessageJson(shown.title, shown.text) + "\n";
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fflush(stdout);
        }
    };
    HeadlessHooks hooks(monitor, options);
    Connection connection(monitor, dialogs, hooks);

    if (options.check_s)
        connection.timCheck().SetInterval(ToInt32(*options.check_s * 1000).value_or(5000));
    if (options.timeout_s)
        connection.timTimeout().SetInterval(ToInt32(*options.timeout_s * 1000).value_or(30000));

    std::unique_ptr<sim::SimServer> demo;
    std::string command_line;
    if (options.demo_type) {
        demo = std::make_unique<sim::SimServer>(sim::DemoState(ServerType(*options.demo_type)),
                                                sim::SimOptions{});
        if (!demo->Start()) {
            std::fputs("morvek: cannot start the demo server\n", stderr);
            return 1;
        }
        command_line =
            std::to_string(*options.demo_type) + " 127.0.0.1 " + std::to_string(demo->Port());
    } else {
        for (std::size_t i = 0; i < options.positional.size(); ++i) {
            if (i) command_line += ' ';
            command_line += options.positional[i];
        }
    }
    if (!command_line.empty()) {
        CommandLine parsed = ParseCommandLine(command_line);
        if (parsed.type) monitor.server_type = *parsed.type;
        if (parsed.host) connection.Winsock().SetRemoteHost(*parsed.host);
        if (!parsed.valid) {
            std::fprintf(stderr, "%s: %s\n", kAppTitle, OneLine(kCommandLineSyntax).c_str());
            return 2;
        }
        connection.Winsock().SetRemotePort(*parsed.port);
    }
    ApplyTypeCaptions(monitor, monitor.server_type);

    bool quitting = false;
    auto quit = [&] {
        if (quitting) return;
        quitting = true;
        // Let the replies to the last requests arrive before the picture is final.
        QTimer::singleShot(300, &app, [&] { app.quit(); });
    };
    hooks.on_last_tick = quit;
    hooks.on_refresh = [&] {
        if (monitor.state == ConnectionState::Disconnected && !connection.timCheck().Enabled())
            QTimer::singleShot(0, &app, [&] {
                if (monitor.state == ConnectionState::Disconnected &&
                    !connection.timCheck().Enabled())
                    app.quit();
            });
    };
    platform::OnQuitSignal([&] { app.quit(); });

    QTimer::singleShot(0, &app, [&] { connection.mnuConnect_Click(); });
    app.exec();
    return connection.DatagramsReceived() > 0 ? 0 : 1;
}

}  // namespace morvek
