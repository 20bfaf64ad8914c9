#include "ui/entry.h"

#include <QApplication>
#include <cstdio>
#include <memory>

#include "core/command_line.h"
#include "core/text.h"
#include "metrics/exposition.h"
#include "platform/paths.h"
#include "platform/quit_signals.h"
#include "platform/settings_backend.h"
#include "query/connection.h"
#include "query/live_settings.h"
#include "ui/about_box.h"
#include "ui/main_window.h"

namespace morvek {

std::string ArgumentText(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}

void ApplyStartup(MainWindow& window, const std::string& command_line,
                  bool create_template_folder) {
    Monitor& monitor = window.monitor();
    // 10. A fixed number of series.
    if (monitor.options.series_follow_max_players == 0) {
        monitor.graph.SetColumnCount(monitor.options.fixed_series);
        SetupGraph(monitor.graph);
        window.RefreshPanel();
    }
    // 11. The command line.
    if (!command_line.empty()) {
        if (ApplyCommandLine(command_line, monitor, window.connection())) {
            window.Connect();
        } else {
            window.dialogs().Message(kCommandLineSyntax, kAppTitle, platform::MessageIcon::Critical,
                                     platform::MessageButtons::Ok);
        }
    }
    // 12. The template folder; failures are silent.
    if (create_template_folder) platform::MakeTemplateFolder();
}

int RunWindow(int argc, char** argv, const WindowOptions& options) {
    std::unique_ptr<QApplication> own_app;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        own_app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Morvek"));

    // 1. to 3. The splash, on top, painted.
    auto splash = std::make_unique<Splash>();
    splash->ShowPainted();

    std::unique_ptr<platform::IniSettingsBackend> store;
    SettingsBackend* settings = options.settings;
    if (!settings) {
        store = options.settings_path.isEmpty()
                    ? std::make_unique<platform::IniSettingsBackend>()
                    : std::make_unique<platform::IniSettingsBackend>(options.settings_path);
        settings = store.get();
    }

    // 4. The main window and its load step. The listener of the command line comes first: it wins
    // over the settings for the whole run. A failure is told and the window goes on.
    MainWindow window(nullptr, settings);
    if (options.metrics) {
        std::string why = "invalid metrics address: " + *options.metrics;
        if (auto where = metrics::ParseListenAddress(*options.metrics))
            if (window.ServeFromCommandLine(*where, why)) why.clear();
        if (!why.empty()) std::fprintf(stderr, "morvek: %s\n", TerminalText(why).c_str());
    }
    if (!window.Load()) return 1;
    if (options.demo) window.KeepStoredServer();
    // 5. to 9.
    QCoreApplication::processEvents();
    window.ApplyLayout();
    window.show();
    QCoreApplication::processEvents();
    splash->close();
    splash.reset();

    // SIGTERM and SIGINT close the window as "&Exit" does.
    platform::OnQuitSignal([&window] { window.Exit(); });

    const std::string command_line =
        options.command_line ? *options.command_line : ArgumentText(argc, argv);
    ApplyStartup(window, command_line, true);
    return QApplication::exec();
}

}  // namespace morvek
