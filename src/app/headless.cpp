#include "app/headless.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QFile>

#include "app/picture_printer.h"
#include "core/command_line.h"
#include "core/numbers.h"
#include "core/text.h"
#include "log/recorder.h"
#include "platform/dialogs.h"
#include "platform/quit_signals.h"
#include "platform/settings_backend.h"
#include "print/painter.h"
#include "query/connection.h"
#include "query/live_settings.h"
#include "sim/sim_server.h"
#include "web/publisher.h"

namespace morvek {

namespace {

struct HeadlessOptions {
    bool json = false;
    long long polls = -1;  // -1: until stopped
    std::optional<double> check_s, timeout_s;
    std::optional<int> demo_type;
    std::optional<std::string> settings_file;
    std::optional<std::string> record_file;
    std::optional<std::string> html_template, html_output;
    std::optional<double> html_refresh_s;
    std::optional<std::string> pdf_file;
    std::vector<std::string> positional;
};

const char* kUsage =
    "usage: morvek --headless [--json] [--polls N] [--check SECONDS] [--timeout SECONDS]\n"
    "                         [--demo [TYPE]] [--settings FILE] [--record FILE.mv]\n"
    "                         [--html-template NAME --html-output FILE --html-refresh SECONDS]\n"
    "                         [--print-pdf FILE] [<n> <address> <port>]\n";

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
        } else if (a == "--settings") {
            if (!value(v)) return false;
            o.settings_file = v;
        } else if (a == "--record") {
            if (!value(v)) return false;
            o.record_file = v;
        } else if (a == "--html-template") {
            if (!value(v)) return false;
            o.html_template = v;
        } else if (a == "--html-output") {
            if (!value(v)) return false;
            o.html_output = v;
        } else if (a == "--html-refresh") {
            if (!value(v)) return false;
            o.html_refresh_s = LeadingNumber(v);
        } else if (a == "--print-pdf") {
            if (!value(v)) return false;
            o.pdf_file = v;
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
    void WriteLogRecord() override { morvek::WriteLogRecord(monitor_); }

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
    // The report is painted with real fonts, which needs the GUI application (without a display:
    // the offscreen platform).
    std::unique_ptr<QCoreApplication> application;
    if (options.pdf_file) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;

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
    web::HtmlPublisher publisher(monitor, dialogs);

    // The stored settings, as the window would start with them; the command line wins for this
    // run, and nothing is written back.
    {
        platform::IniSettingsBackend store(options.settings_file
                                               ? QString::fromStdString(*options.settings_file)
                                               : platform::IniSettingsBackend::DefaultFile());
        auto values = LoadSettings(store, platform::SettingsFailureDialog(dialogs));
        if (!values) return 1;
        ApplySettings(*values, monitor, connection, nullptr);
        ResetServerPanel(monitor);
        SetupGraph(monitor.graph);
        if (monitor.options.serie_max_player == 0) {
            monitor.graph.SetColumnCount(monitor.options.serie_fixed);
            SetupGraph(monitor.graph);
        }
    }

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
        if (!ApplyCommandLine(command_line, monitor, connection)) {
            std::fprintf(stderr, "%s: %s\n", kAppTitle, OneLine(kCommandLineSyntax).c_str());
            return 2;
        }
    }
    ApplyTypeCaptions(monitor, monitor.server_type);

    if (options.record_file) {
        // As "&Record..." answered Yes: an existing log is replaced.
        QFile::remove(QString::fromStdString(*options.record_file));
        monitor.log_path = *options.record_file;
        monitor.recording = true;
    }
    if (options.html_template)
        monitor.options.html_template = ToCp1252(QString::fromStdString(*options.html_template));
    if (options.html_output)
        monitor.options.html_output = ToCp1252(QString::fromStdString(*options.html_output));
    if (options.html_output || options.html_template || options.html_refresh_s) {
        double seconds = options.html_refresh_s.value_or(5);
        publisher.timHtml.SetInterval(
            ToInt32(std::clamp(seconds, 0.0, 86400.0) * 1000).value_or(0));
        publisher.timHtml.SetEnabled(true);
        monitor.web_active = true;
    }

    bool quitting = false;
    auto quit = [&] {
        if (quitting) return;
        quitting = true;
        connection.timCheck().SetEnabled(false);
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
    if (options.pdf_file &&
        !print::PrintReportToPdf(monitor, QString::fromStdString(*options.pdf_file)))
        std::fprintf(stderr, "morvek: cannot write %s\n", options.pdf_file->c_str());
    return connection.DatagramsReceived() > 0 ? 0 : 1;
}

}  // namespace morvek
