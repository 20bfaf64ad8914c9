#include "app/options.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

namespace morvek::app {

void AddCommonOptions(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(
        {"settings", "Read the settings from FILE instead of the user's store.", "FILE"});
    parser.addOption({"demo",
                      "Monitor a simulated server started inside the program; TYPE, given as the "
                      "only argument, is its server type (default 0)."});
    parser.addOption({"metrics",
                      "Serve /metrics (Prometheus) and /status.json over HTTP on [ADDRESS:]PORT "
                      "(default address 127.0.0.1).",
                      "[ADDRESS:]PORT"});
    parser.addPositionalArgument(
        "<n> <address> <port>",
        "The server to connect to at once: its type (0 Quake I, 1 QuakeWorld, 2 Hexen II, "
        "3 Quake II), host name or address, and UDP port. With --demo: the type alone.",
        "[<n> <address> <port>]");
}

std::optional<int> Parse(QCommandLineParser& parser, const QStringList& arguments) {
    QCoreApplication::setApplicationName(QStringLiteral("Morvek"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(MORVEK_VERSION_MAJOR)
                                                .arg(MORVEK_VERSION_MINOR)
                                                .arg(MORVEK_VERSION_PATCH));
    const bool ok = parser.parse(arguments);
    // Without a running application the usage line cannot name the program: name it here.
    const QString help = parser.helpText().replace(
        "<executable_name>", QFileInfo(arguments.value(0, "morvek")).fileName());
    if (ok && (parser.isSet("help") || parser.isSet("help-all"))) {
        std::fputs(qPrintable(help), stdout);
        return 0;
    }
    if (ok && parser.isSet("version")) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()),
                    qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!ok) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(parser.errorText()), qPrintable(help));
        return 2;
    }
    return std::nullopt;
}

QStringList Arguments(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

std::optional<int> DemoType(const QCommandLineParser& parser) {
    if (!parser.isSet("demo")) return std::nullopt;
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) return 0;
    if (rest.size() == 1 && rest[0].size() == 1 && rest[0][0] >= '0' && rest[0][0] <= '3')
        return rest[0][0].unicode() - '0';
    return -1;
}

std::string PositionalText(const QCommandLineParser& parser) {
    return parser.positionalArguments().join(' ').toLocal8Bit().toStdString();
}

std::unique_ptr<sim::SimServer> StartDemo(int type, std::string& command_line) {
    auto demo =
        std::make_unique<sim::SimServer>(sim::DemoState(ServerType(type)), sim::SimOptions{});
    if (!demo->Start()) {
        std::fputs("morvek: cannot start the demo server\n", stderr);
        return nullptr;
    }
    command_line = std::to_string(type) + " 127.0.0.1 " + std::to_string(demo->Port());
    return demo;
}

}  // namespace morvek::app
