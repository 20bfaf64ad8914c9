// The options both front-ends understand, read with QCommandLineParser. The positional
// "<n> <address> <port>" is left to ParseCommandLine, joined by single blanks as typed.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

#include "sim/sim_server.h"

namespace morvek::app {

// --settings FILE, --demo [TYPE], --metrics [ADDRESS:]PORT, --help and --version, plus the
// positional arguments.
void AddCommonOptions(QCommandLineParser& parser);

// Sets the program's name and version, and parses `arguments` (the program's path first).
// On --help or --version: prints them and returns 0; on an unknown option or a missing value:
// prints the error and the usage on stderr and returns 2; otherwise returns nothing.
std::optional<int> Parse(QCommandLineParser& parser, const QStringList& arguments);

// The program's arguments as Qt sees them (the local 8-bit encoding).
QStringList Arguments(int argc, char** argv);

// The type of --demo: 0 without positional arguments, the value of a single one that is 0 to 3,
// -1 for any other arguments; nothing without --demo.
std::optional<int> DemoType(const QCommandLineParser& parser);

// The positional arguments joined by single blanks ("" when there are none).
std::string PositionalText(const QCommandLineParser& parser);

// Starts the simulated server of --demo on 127.0.0.1 and sets `command_line` to
// "<type> 127.0.0.1 <port>"; prints the failure and returns nothing when it cannot start.
std::unique_ptr<sim::SimServer> StartDemo(int type, std::string& command_line);

}  // namespace morvek::app
