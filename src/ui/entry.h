// The window program's entry sequence: splash, main window load, layout, show, the fixed series
// count, the command line and the template folder; then the event loop until the window closes.
#pragma once

#include <QString>
#include <optional>
#include <string>

namespace morvek {

class SettingsBackend;

struct WindowOptions {
    // An INI file for the settings; empty: the platform's store.
    QString settings_path;
    // The argument text "<n> <address> <port>"; when absent, the program's arguments joined by
    // single blanks.
    std::optional<std::string> command_line;
    // "[ADDRESS:]PORT" of the metrics endpoint; none: no endpoint.
    std::optional<std::string> metrics;
    // A store to use instead (tests); not owned.
    SettingsBackend* settings = nullptr;
    // A run on the built-in demo server: the stored server, port and type are written back as
    // they were read, so the next plain start monitors the user's server again.
    bool demo = false;
};

// Runs the window program; returns the process exit status. Uses the running QApplication when
// there is one, else creates it.
int RunWindow(int argc, char** argv, const WindowOptions& options);

// The program's arguments after its own path, joined by single blanks.
std::string ArgumentText(int argc, char** argv);

class MainWindow;

// Steps 10 to 12 of the entry sequence on a loaded, shown window: the fixed series count, the
// command line (a valid one connects, an invalid one shows the syntax message) and the template
// folder.
void ApplyStartup(MainWindow& window, const std::string& command_line, bool create_template_folder);

}  // namespace morvek
