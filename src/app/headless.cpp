#include "app/headless.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <set>
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
#include "metrics/live_feed.h"
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
    std::int32_t polls = -1;  // -1: until stopped
    std::optional<std::int32_t> check_ms, timeout_ms;
    std::optional<int> demo_type;
    // Files, as the user typed them.
    std::optional<QString> settings_file;
    std::optional<QString> record_file;
    std::optional<QString> html_template, html_output;
    std::optional<std::int32_t> html_refresh_ms;
    std::optional<QString> pdf_file;
    std::optional<QString> dump_log;
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
         "Run COMMAND (split into words as a shell would, but run without one) for each event, "
         "with the event's JSON on its standard input and its output on stderr.",
         "COMMAND"},
    });
}

// Reads the parsed options. Intervals follow the setup dialog's rule (IntervalMs: 0 or less is
// invalid), counts are whole numbers from 1; `error` names a value that is refused.
HeadlessOptions ReadOptions(const QCommandLineParser& parser, std::string& error) {
    HeadlessOptions o;
    const auto text = [&](const char* name) -> std::optional<std::string> {
        if (!parser.isSet(name)) return std::nullopt;
        return parser.value(name).toLocal8Bit().toStdString();
    };
    const auto path = [&](const char* name) -> std::optional<QString> {
        if (!parser.isSet(name)) return std::nullopt;
        return parser.value(name);
    };
    o.json = parser.isSet("json");
    o.keep_trying = parser.isSet("keep-trying");
    if (auto polls = text("polls")) {
        if (auto count = CountValue(*polls))
            o.polls = *count;
        else
            error = "invalid poll count: " + *polls;
    }
    const auto interval = [&](const char* name, const char* what) -> std::optional<std::int32_t> {
        auto seconds = text(name);
        if (!seconds) return std::nullopt;
        auto ms = IntervalMs(*seconds);
        if (!ms) error = std::string("invalid ") + what + " interval: " + *seconds;
        return ms;
    };
    o.check_ms = interval("check", "refresh");
    o.timeout_ms = interval("timeout", "timeout");
    o.settings_file = path("settings");
    o.record_file = path("record");
    o.html_template = path("html-template");
    o.html_output = path("html-output");
    o.html_refresh_ms = interval("html-refresh", "page refresh");
    o.pdf_file = path("print-pdf");
    o.dump_log = path("dump-log");
    if (parser.isSet("on-event")) o.on_event = parser.value("on-event");
    if (auto where = text("metrics")) {
        o.metrics = metrics::ParseListenAddress(*where);
        if (!o.metrics) error = "invalid metrics address: " + *where;
    }
    o.demo_type = app::DemoType(parser);
    if (o.demo_type == -1) error = "--demo takes one server type, 0 to 3";
    o.command_line = app::PositionalText(parser);
    return o;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

// What the run tells on stderr ("Title: text") and, with --json, as message lines, bounded: the
// same message at most once per poll tick, and after kShownPerKind of one kind only a count line
// when the untold ones reach 10, 100, 1000... and at the end. A failure to write an output is told
// once per output and cause, and the run then ends with status 3.
class Teller {
  public:
    static constexpr int kShownPerKind = 10;
    static constexpr std::size_t kKinds = 256;

    Teller(bool json, const std::uint64_t& tick, platform::StandardOutput& out)
        : json_(json), tick_(tick), out_(out) {}

    void Tell(const std::string& title, const QString& text) {
        auto key = std::pair(title, text.toStdString());
        if (!kinds_.count(key) && kinds_.size() >= kKinds) key = {title, "(other messages)"};
        Kind& kind = kinds_[key];
        if (kind.shown < kShownPerKind && kind.last_tick != tick_) {
            ++kind.shown;
            kind.last_tick = tick_;
            Print(title, text, 0);
        } else if (++kind.untold >= kind.next_count) {
            Print(title, text, kind.untold);
            kind.untold = 0;
            kind.next_count *= 10;
        }
    }
    void OutputFailed(const char* what, const QString& path, const QString& why) {
        failed_ = true;
        const QString text = QStringLiteral("cannot write the %1 %2").arg(what, path) +
                             (why.isEmpty() ? QString() : ": " + why);
        if (told_.insert(text).second) Tell(kAppTitle, text);
    }
    void OutputFailed() { failed_ = true; }
    bool Failed() const { return failed_; }
    // The counts not told yet.
    void Finish() {
        for (auto& [key, kind] : kinds_)
            if (kind.untold > 0) Print(key.first, QString::fromStdString(key.second), kind.untold);
    }

  private:
    struct Kind {
        std::uint64_t last_tick = ~std::uint64_t(0);
        int shown = 0;
        std::uint64_t untold = 0, next_count = 10;
    };
    void Print(const std::string& title, const QString& text, std::uint64_t repeated) {
        QString line = text;
        line.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        const std::string more =
            repeated ? " (" + std::to_string(repeated) + " more times)" : std::string();
        std::fprintf(stderr, "%s: %s%s\n", TerminalText(title).c_str(), TerminalText(line).c_str(),
                     more.c_str());
        if (json_) {
            QJsonObject line = MessageObject(title, text);
            if (repeated) {
                QJsonObject message = line["message"].toObject();
                message["repeated"] = qint64(repeated);
                line["message"] = message;
            }
            out_.Write(JsonLine(line) + "\n");
        }
    }

    bool json_;
    const std::uint64_t& tick_;
    platform::StandardOutput& out_;
    std::map<std::pair<std::string, std::string>, Kind> kinds_;
    std::set<QString> told_;
    bool failed_ = false;
};

class HeadlessHooks : public MonitorHooks {
  public:
    HeadlessHooks(Monitor& monitor, const HeadlessOptions& options, platform::StandardOutput& out)
        : live(monitor), monitor_(monitor), options_(options), out_(out) {}

    void RecordPoint() override {
        const metrics::ToldEvents told = live.Tick();
        out_.Write(options_.json ? PictureJson(monitor_, Tick()) + "\n"
                                 : PictureText(monitor_, Tick()) + "\n");
        TellEvents(told);
        if (options_.polls > 0 && Tick() >= std::uint64_t(options_.polls) && on_last_tick)
            on_last_tick();
    }
    void RefreshPanel() override {
        TellEvents(live.Redrawn());
        if (on_refresh) on_refresh();
    }
    // What happened since the last look: JSON lines with --json, the --on-event command.
    void TellEvents(const metrics::ToldEvents& told) {
        for (const std::string& json : told.lines) {
            const std::string line = json + "\n";
            if (options_.json) out_.Write(line);
            if (on_event) on_event(line);
        }
    }
    // A connection that ends stops recording (the window's rule); the headless run goes on, and a
    // new connection of the same run appends to the same log.
    void UpdateMenuState() override {
        if (options_.record_file && !monitor_.recording) {
            monitor_.log_path = *options_.record_file;
            monitor_.recording = true;
        }
    }

    std::function<void()> on_last_tick;
    std::function<void()> on_refresh;
    std::function<void(const std::string&)> on_event;
    const std::uint64_t& Tick() const { return live.Ticks(); }
    // The events, and the listener that serves them with the page.
    metrics::LiveFeed live;

  private:
    Monitor& monitor_;
    const HeadlessOptions& options_;
    platform::StandardOutput& out_;
};

// Only regular files are ever replaced or deleted: false, with the reason on stderr, when a path
// names anything else.
bool PathsReplaceable(const HeadlessOptions& options) {
    for (const auto* path : {&options.record_file, &options.html_output, &options.pdf_file}) {
        if (*path && !platform::IsReplaceable(**path)) {
            std::fprintf(stderr, "morvek: %s\n",
                         TerminalText(platform::NotRegularFileText(**path)).c_str());
            return false;
        }
    }
    return true;
}

// The stored settings, as the window would start with them; nothing is written back. False when
// the store cannot be read.
bool LoadStoredSettings(const HeadlessOptions& options, Monitor& monitor, Connection& connection,
                        platform::Dialogs& dialogs) {
    platform::IniSettingsBackend store(
        options.settings_file.value_or(platform::IniSettingsBackend::DefaultFile()));
    auto values = LoadSettings(store, platform::SettingsFailureDialog(dialogs));
    if (!values) return false;
    ApplySettings(*values, monitor, connection, nullptr);
    ResetServerPanel(monitor);
    SetupGraph(monitor.graph);
    if (monitor.options.series_follow_max_players == 0) {
        monitor.graph.SetColumnCount(monitor.options.fixed_series);
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
    if (options.check_ms) connection.pollTimer().SetInterval(*options.check_ms);
    if (options.timeout_ms) connection.timeoutTimer().SetInterval(*options.timeout_ms);

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
        // As "&Record..." answered Yes, but an existing log is replaced by the first record.
        monitor.log_path = *options.record_file;
        monitor.recording = true;
    }
    if (options.html_template) monitor.options.html_template = *options.html_template;
    if (options.html_output) monitor.options.html_output = *options.html_output;
    if (options.html_output || options.html_template || options.html_refresh_ms) {
        publisher.publishTimer.SetInterval(options.html_refresh_ms.value_or(5000));
        publisher.publishTimer.SetEnabled(true);
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
        connection.pollTimer().SetEnabled(false);
        // Let the replies to the last requests arrive before the picture is final.
        QTimer::singleShot(300, &app, [&app] { app.quit(); });
    };
    hooks.on_refresh = [&] {
        if (monitor.state == ConnectionState::Disconnected && !connection.pollTimer().Enabled())
            QTimer::singleShot(0, &app, [&] {
                if (monitor.state == ConnectionState::Disconnected &&
                    !connection.pollTimer().Enabled())
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
    HeadlessHooks hooks(monitor, options, out);
    Teller teller(options.json, hooks.Tick(), out);
    platform::ScriptedDialogs dialogs;
    dialogs.on_message = [&](const platform::ScriptedDialogs::Shown& shown) {
        teller.Tell(shown.title, shown.text);
    };
    app::EventRunner event_runner;
    if (options.on_event) {
        if (auto why = event_runner.SetCommand(*options.on_event)) {
            std::fprintf(stderr, "morvek: --on-event: %s\n", TerminalText(*why).c_str());
            return 2;
        }
        event_runner.tell = [&](const std::string& text) {
            teller.Tell("morvek", QString::fromStdString(text));
        };
        hooks.on_event = [&](const std::string& line) {
            event_runner.Run(QByteArray::fromStdString(line));
        };
    }
    Connection connection(monitor, hooks);
    // The first record replaces an old log whole: until then it stays as it was.
    bool fresh_log = true;
    QObject::connect(&connection, &Connection::RecordDue, [&] {
        QString why;
        if (WriteLogRecord(monitor, fresh_log, &why))
            fresh_log = false;
        else
            teller.OutputFailed("log", monitor.log_path, why);
    });
    // What the window shows in a box is a message line here.
    QObject::connect(&connection, &Connection::told, [&](const Notice& notice) {
        dialogs.Message(notice.text, notice.title, notice.icon, platform::MessageButtons::Ok);
    });
    QObject::connect(&connection, &Connection::connectFailed, [](const std::string& why) {
        if (!why.empty()) std::fprintf(stderr, "morvek: %s\n", TerminalText(why).c_str());
    });
    web::HtmlPublisher publisher(monitor, dialogs);
    QObject::connect(&publisher, &web::HtmlPublisher::PageFailed, [&](const QString& why) {
        teller.OutputFailed("page", monitor.options.html_output, why);
    });
    hooks.live.SetPage([&] { return publisher.PageNow(); });
    if (std::string why; !hooks.live.Serve(options.metrics, why)) {
        std::fprintf(stderr, "morvek: %s\n", TerminalText(why).c_str());
        return 2;
    }

    if (!LoadStoredSettings(options, monitor, connection, dialogs)) return 1;

    std::unique_ptr<sim::SimServer> demo;
    if (auto status = ApplyRunOptions(options, monitor, connection, publisher, demo))
        return *status;

    QuitWhenDone(app, monitor, connection, hooks);

    QTimer::singleShot(0, &app, [&] { connection.Connect(); });
    const int status = app.exec();
    if (out.Failed()) return status;
    event_runner.Finish();
    if (options.pdf_file) {
        if (!print::PrintReportToPdf(monitor, *options.pdf_file))
            teller.OutputFailed("report", *options.pdf_file, {});
    }
    // A missing template stopped publishing (its message has been told).
    if ((options.html_output || options.html_template || options.html_refresh_ms) &&
        !monitor.web_active)
        teller.OutputFailed();
    teller.Finish();
    if (teller.Failed()) return 3;
    return connection.DatagramsReceived() > 0 ? 0 : 1;
}

}  // namespace morvek
