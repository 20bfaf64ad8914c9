// morvek: the monitor window. --headless, --dump-log and --print-pdf hand over to the
// morvek-headless program beside it.
#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

#include "app/options.h"
#include "sim/sim_server.h"
#include "ui/entry.h"

namespace {

bool IsHeadless(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        for (const char* option : {"--headless", "--dump-log", "--print-pdf"})
            if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

// Runs morvek-headless from this program's folder with the same arguments; returns only when it
// cannot be started (or, where there is no exec, with its exit status).
int HandOver(int argc, char** argv) {
    QString program;
    {
        QCoreApplication app(argc, argv);
        program = QDir(QCoreApplication::applicationDirPath()).filePath("morvek-headless");
    }
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(program);
    std::vector<char*> args(argv, argv + argc);
    args.push_back(nullptr);
    args[0] = const_cast<char*>(path.constData());
    execv(path.constData(), args.data());
    std::cerr << "morvek: cannot start " << path.constData() << ": " << std::strerror(errno)
              << "\n";
    return 2;
#else
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.setInputChannelMode(QProcess::ForwardedInputChannel);
    child.start(program, morvek::app::Arguments(argc, argv).mid(1));
    if (!child.waitForStarted(-1)) {
        std::cerr << "morvek: cannot start " << program.toStdString() << "\n";
        return 2;
    }
    child.waitForFinished(-1);
    return child.exitCode();
#endif
}

}  // namespace

int main(int argc, char** argv) {
    if (IsHeadless(argc, argv)) return HandOver(argc, argv);

    QCommandLineParser parser;
    morvek::app::AddCommonOptions(parser);
    parser.setApplicationDescription(
        "The monitor window. For the monitor without a window, the log dump and the PDF report, "
        "see morvek-headless --help (morvek --headless ... runs it).");
    if (auto status = morvek::app::Parse(parser, morvek::app::Arguments(argc, argv)))
        return *status;

    QApplication app(argc, argv);
    morvek::WindowOptions options;
    if (parser.isSet("settings")) options.settings_path = parser.value("settings");
    options.command_line = morvek::app::PositionalText(parser);
    if (parser.isSet("metrics")) options.metrics = parser.value("metrics").toStdString();
    // The demo: a simulated server in this process, named on the command line.
    std::unique_ptr<morvek::sim::SimServer> demo;
    if (auto type = morvek::app::DemoType(parser)) {
        if (*type < 0) {
            std::fputs("morvek: --demo takes one server type, 0 to 3\n", stderr);
            return 2;
        }
        std::string command_line;
        demo = morvek::app::StartDemo(*type, command_line);
        if (!demo) return 1;
        options.command_line = command_line;
        options.demo = true;
    }
    return morvek::RunWindow(argc, argv, options);
}
