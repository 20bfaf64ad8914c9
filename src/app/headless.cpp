#include "app/headless.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/event_runner.h"
#include "app/options.h"
#include "core/command_line.h"
#include "core/events.h"
#include "core/numbers.h"
#include "core/picture.h"
#include "core/text.h"
#include "log/dump.h"
#include "log/recorder.h"
#include "metrics/metrics_server.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/quit_signals.h"
#include "platform/settings_backend.h"
#include "platform/standard_output.h"
#include "print/painter.h"
#include "query/connection.h"
#include "query/live_settings.h"
#include "sim/sim_server.h"
#include "web/publisher.h"

namespace morvek {

namespace {

struct HeadlessOptions {
    bool json = false;
    bool keep_trying = false;
    long long polls = -1;  // -1: until stopped
    std::optional<std::int32_t> check_ms, timeout_ms;
    std::optional<int> demo_type;
    std::optional<std::string> settings_file;
    std::optional<std::string> record_file;
    std::optional<std::string> html_template, html_output;
    std::optional<double> html_refresh_s;
    std::optional<std::string> pdf_file;
    std::optional<std::string> dump_log;
    std::optional<metrics::ListenAddress> metrics;
    std::optional<QString> on_event;
    std::string command_line;
};

void AddHeadlessOptions(QCommandLineParser& parser) {
    app::AddCommonOptions(parser);
    QCommandLineOption headless("headless", "Accepted for the window program's sake; no effect.");
    headless.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOptions({
        headless,
        {"json", "One JSON object per poll tick (and one per message) instead of the table."},
        {"polls", "Stop after N poll ticks.", "N"},
        {"check", "Poll interval in seconds for this run (fractions allowed).", "SECONDS"},
        {"timeout", "Timeout interval in seconds for this run (fractions allowed).", "SECONDS"},
        {"record", "Record a match log while connected (an existing file is replaced).", "FILE.mv"},
        {"html-template",
         "Template of the published page: a name in the template folder, or a "
         "path when it holds \"/\".",
         "NAME"},
        {"html-output", "The published page.", "FILE"},
        {"html-refresh", "Publish the page every SECONDS (default 5).", "SECONDS"},
        {"print-pdf", "At the end, write the printed report to a PDF file.", "FILE"},
        {"dump-log", "Print a match log as JSON lines, and stop.", "FILE.mv"},
        {"keep-trying", "After a timeout, go on trying the server instead of stopping."},
        {"on-event",
         "Run COMMAND (no shell) for each event, with the event's JSON on its standard input.",
         "COMMAND"},
    });
}

// Reads the parsed options; the numbers are read with the leading-number rule. `error` names an
// interval that is refused (the setup dialog's rule: 0 or less is invalid).
HeadlessOptions ReadOptions(const QCommandLineParser& parser, std::string& error) {
    HeadlessOptions o;
    const auto text = [&](const char* name) -> std::optional<std::string> {
        if (!parser.isSet(name)) return std::nullopt;
        return parser.value(name).toLocal8Bit().toStdString();
    };
    const auto number = [&](const char* name) -> std::optional<double> {
        if (auto v = text(name)) return LeadingNumber(*v);
        return std::nullopt;
    };
    o.json = parser.isSet("json");
    o.keep_trying = parser.isSet("keep-trying");
    if (auto polls = number("polls")) o.polls = static_cast<long long>(*polls);
    const auto interval = [&](const char* name, const char* what) -> std::optional<std::int32_t> {
        auto seconds = text(name);
        if (!seconds) return std::nullopt;
        auto ms = IntervalMs(*seconds);
        if (!ms) error = std::string("invalid ") + what + " interval: " + *seconds;
        return ms;
    };
    o.check_ms = interval("check", "refresh");
    o.timeout_ms = interval("timeout", "timeout");
    o.settings_file = text("settings");
    o.record_file = text("record");
    o.html_template = text("html-template");
    o.html_output = text("html-output");
    o.html_refresh_s = number("html-refresh");
    o.pdf_file = text("print-pdf");
    o.dump_log = text("dump-log");
    if (parser.isSet("on-event")) o.on_event = parser.value("on-event");
    if (auto where = text("metrics")) {
        o.metrics = metrics::ParseListenAddress(*where);
        if (!o.metrics) error = "invalid metrics address: " + *where;
    }
    o.demo_type = app::DemoType(parser);
    o.command_line = app::PositionalText(parser);
    return o;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

class HeadlessHooks : public MonitorHooks {
  public:
    HeadlessHooks(Monitor& monitor, const HeadlessOptions& options, platform::StandardOutput& out)
        : monitor_(monitor), options_(options), out_(out) {}

    void RecordPoint() override {
        ++tick_;
        out_.Write(options_.json ? PictureJson(monitor_, tick_) + "\n"
                                 : PictureText(monitor_, tick_) + "\n");
        TellEvents(events_.Update(monitor_));
        if (options_.polls >= 0 && static_cast<long long>(tick_) >= options_.polls && on_last_tick)
            on_last_tick();
    }
    void RefreshPanel() override {
        TellEvents(events_.UpdateOnSilence(monitor_));
        if (on_refresh) on_refresh();
    }
    // What happened since the last look: JSON lines with --json, the --on-event command.
    void TellEvents(const std::vector<Event>& events) {
        for (const Event& event : events) {
            const std::string line =
                JsonLine(
                    EventObject(event, tick_, QDateTime::currentDateTimeUtc(), monitor_.options)) +
                "\n";
            if (options_.json) out_.Write(line);
            if (on_event) on_event(line);
        }
    }
    // A connection that ends stops recording (the window's rule); the headless run goes on, and a
    // new connection of the same run appends to the same log.
    void UpdateMenuState() override {
        if (options_.record_file && !monitor_.recording) {
            monitor_.log_path = QString::fromLocal8Bit(*options_.record_file);
            monitor_.recording = true;
        }
    }

    std::function<void()> on_last_tick;
    std::function<void()> on_refresh;
    std::function<void(const std::string&)> on_event;

  private:
    Monitor& monitor_;
    const HeadlessOptions& options_;
    platform::StandardOutput& out_;
    std::uint64_t tick_ = 0;
    EventTracker events_;
};

// Only regular files are ever replaced or deleted: false, with the reason on stderr, when a path
// names anything else.
bool PathsReplaceable(const HeadlessOptions& options) {
    for (const auto* path : {&options.record_file, &options.html_output, &options.pdf_file}) {
        if (*path && !platform::IsReplaceable(QString::fromLocal8Bit(**path))) {
            std::fprintf(stderr, "morvek: %s\n",
                         platform::NotRegularFileText(QString::fromLocal8Bit(**path))
                             .toLocal8Bit()
                             .constData());
            return false;
        }
    }
    return true;
}

// The stored settings, as the window would start with them; nothing is written back. False when
// the store cannot be read.
bool LoadStoredSettings(const HeadlessOptions& options, Monitor& monitor, Connection& connection,
                        platform::Dialogs& dialogs) {
    platform::IniSettingsBackend store(options.settings_file
                                           ? QString::fromStdString(*options.settings_file)
                                           : platform::IniSettingsBackend::DefaultFile());
    auto values = LoadSettings(store, platform::SettingsFailureDialog(dialogs));
    if (!values) return false;
    ApplySettings(*values, monitor, connection, nullptr);
    ResetServerPanel(monitor);
    SetupGraph(monitor.graph);
    if (monitor.options.serie_max_player == 0) {
        monitor.graph.SetColumnCount(monitor.options.serie_fixed);
        SetupGraph(monitor.graph);
    }
    return true;
}

// This run's options over the settings: intervals, the server (or the demo it starts), the log
// and the page. The exit status when the run cannot go on.
std::optional<int> ApplyRunOptions(const HeadlessOptions& options, Monitor& monitor,
                                   Connection& connection, web::HtmlPublisher& publisher,
                                   std::unique_ptr<sim::SimServer>& demo) {
    if (options.keep_trying) monitor.options.keep_trying = true;
    if (options.check_ms) connection.timCheck().SetInterval(*options.check_ms);
    if (options.timeout_ms) connection.timTimeout().SetInterval(*options.timeout_ms);

    std::string command_line = options.command_line;
    if (options.demo_type) {
        demo = app::StartDemo(*options.demo_type, command_line);
        if (!demo) return 1;
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
        monitor.log_path = QString::fromLocal8Bit(*options.record_file);
        platform::RemoveRegularFile(monitor.log_path);
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
    return std::nullopt;
}

// Ends the run after the last tick, on a quit signal, or once the connection has ended for good.
void QuitWhenDone(QCoreApplication& app, Monitor& monitor, Connection& connection,
                  HeadlessHooks& hooks) {
    auto quitting = std::make_shared<bool>(false);
    hooks.on_last_tick = [&app, &connection, quitting] {
        if (*quitting) return;
        *quitting = true;
        connection.timCheck().SetEnabled(false);
        // Let the replies to the last requests arrive before the picture is final.
        QTimer::singleShot(300, &app, [&app] { app.quit(); });
    };
    hooks.on_refresh = [&] {
        if (monitor.state == ConnectionState::Disconnected && !connection.timCheck().Enabled())
            QTimer::singleShot(0, &app, [&] {
                if (monitor.state == ConnectionState::Disconnected &&
                    !connection.timCheck().Enabled())
                    app.quit();
            });
    };
    platform::OnQuitSignal([&app] { app.quit(); });
}

}  // namespace

int RunHeadless(int argc, char** argv) {
    QCommandLineParser parser;
    AddHeadlessOptions(parser);
    if (auto status = app::Parse(parser, app::Arguments(argc, argv))) return *status;
    std::string error;
    const HeadlessOptions options = ReadOptions(parser, error);
    if (!error.empty()) {
        std::fprintf(stderr, "morvek: %s\n", TerminalText(error).c_str());
        return 2;
    }
    if (options.dump_log) return DumpLog(*options.dump_log, std::cout, std::cerr);
    if (!PathsReplaceable(options)) return 2;

    // The report is painted with real fonts, which needs the GUI application; it runs on the
    // offscreen platform, so no display is needed.
    std::unique_ptr<QCoreApplication> application;
    if (options.pdf_file) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;

    Monitor monitor;
    // Nobody reads the output any more: the run ends at once.
    platform::StandardOutput out;
    out.failed = [&](const std::string& why) {
        std::fprintf(stderr, "morvek: %s\n", why.c_str());
        app.exit(platform::StandardOutput::kFailedStatus);
    };
    platform::ScriptedDialogs dialogs;
    dialogs.on_message = [&](const platform::ScriptedDialogs::Shown& shown) {
        std::fprintf(stderr, "%s: %s\n", TerminalText(shown.title).c_str(),
                     TerminalText(OneLine(shown.text)).c_str());
        if (options.json) out.Write(JsonLine(MessageObject(shown.title, shown.text)) + "\n");
    };
    HeadlessHooks hooks(monitor, options, out);
    app::EventRunner event_runner;
    if (options.on_event) {
        if (!event_runner.SetCommand(*options.on_event)) {
            std::fputs("morvek: --on-event names no program\n", stderr);
            return 2;
        }
        hooks.on_event = [&](const std::string& line) {
            event_runner.Run(QByteArray::fromStdString(line));
        };
    }
    Connection connection(monitor, hooks);
    QObject::connect(&connection, &Connection::RecordDue, [&] { WriteLogRecord(monitor); });
    // What the window shows in a box is a message line here.
    QObject::connect(&connection, &Connection::told, [&](const Notice& notice) {
        dialogs.Message(notice.text, notice.title, notice.icon, platform::MessageButtons::Ok);
    });
    QObject::connect(&connection, &Connection::connectFailed, [](const std::string& why) {
        if (!why.empty()) std::fprintf(stderr, "morvek: %s\n", TerminalText(why).c_str());
    });
    web::HtmlPublisher publisher(monitor, dialogs);
    metrics::MetricsServer metrics_server(monitor);
    if (options.metrics) {
        std::string why;
        if (!metrics_server.Listen(*options.metrics, why)) {
            std::fprintf(stderr, "morvek: %s\n", TerminalText(why).c_str());
            return 2;
        }
    }

    if (!LoadStoredSettings(options, monitor, connection, dialogs)) return 1;

    std::unique_ptr<sim::SimServer> demo;
    if (auto status = ApplyRunOptions(options, monitor, connection, publisher, demo))
        return *status;

    QuitWhenDone(app, monitor, connection, hooks);

    QTimer::singleShot(0, &app, [&] { connection.mnuConnect_Click(); });
    const int status = app.exec();
    if (out.Failed()) return status;
    event_runner.Finish();
    if (options.pdf_file &&
        !print::PrintReportToPdf(monitor, QString::fromStdString(*options.pdf_file)))
        std::fprintf(stderr, "morvek: cannot write %s\n", options.pdf_file->c_str());
    return connection.DatagramsReceived() > 0 ? 0 : 1;
}

}  // namespace morvek
