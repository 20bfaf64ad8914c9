// morvek: the monitor window by default; --headless runs it without a window, --dump-log prints
// a match log as JSON lines.
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <QApplication>

#include "app/headless.h"
#include "log/dump.h"
#include "sim/sim_server.h"
#include "ui/entry.h"

namespace {

int RunWindowMode(int argc, char** argv) {
    QApplication app(argc, argv);
    morvek::WindowOptions options;
    std::optional<int> demo_type;
    std::string positional;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--settings" && i + 1 < argc) {
            options.settings_path = argv[++i];
        } else if (a == "--demo") {
            demo_type = 0;
            if (i + 1 < argc && std::strlen(argv[i + 1]) == 1 && argv[i + 1][0] >= '0' &&
                argv[i + 1][0] <= '3')
                demo_type = argv[++i][0] - '0';
        } else {
            if (!positional.empty()) positional += ' ';
            positional += a;
        }
    }
    // The demo: a simulated server in this process, named on the command line.
    std::unique_ptr<morvek::sim::SimServer> demo;
    if (demo_type) {
        demo = std::make_unique<morvek::sim::SimServer>(
            morvek::sim::DemoState(morvek::ServerType(*demo_type)), morvek::sim::SimOptions{});
        if (!demo->Start()) {
            std::cerr << "morvek: cannot start the demo server\n";
            return 1;
        }
        positional = std::to_string(*demo_type) + " 127.0.0.1 " + std::to_string(demo->Port());
    }
    options.command_line = positional;
    return morvek::RunWindow(argc, argv, options);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0) return morvek::RunHeadless(argc, argv);
        if (std::strcmp(argv[i], "--dump-log") == 0) {
            if (i + 1 >= argc) {
                std::cerr << "usage: morvek --dump-log FILE.mv\n";
                return 2;
            }
            return morvek::DumpLog(argv[i + 1], std::cout, std::cerr);
        }
    }
    return RunWindowMode(argc, argv);
}
