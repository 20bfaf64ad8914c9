#include "support/rig.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTest>

namespace morvek::testing {

Rig::Rig(int type) {
    monitor.server_type = ServerType(type);
    monitor.graph.SetRowCount(20);
    QObject::connect(&connection, &Connection::told, [this](const Notice& notice) {
        news.Show(notice.text, notice.title, notice.icon);
    });
}

Rig::~Rig() {
    connection.pollTimer().SetEnabled(false);
    connection.timeoutTimer().SetEnabled(false);
}

sim::SimServer& Rig::StartServer(sim::SimOptions options) {
    options.move = false;
    server = std::make_unique<sim::SimServer>(sim::DemoState(monitor.server_type), options);
    if (!server->Start()) qFatal("the simulator cannot bind 127.0.0.1");
    connection.socket().SetRemoteHost("127.0.0.1");
    connection.socket().SetRemotePort(server->Port());
    connection.pollTimer().SetInterval(kPollMs);
    connection.timeoutTimer().SetInterval(kTimeoutMs);
    return *server;
}

bool Rig::Connect() {
    connection.Connect();
    return WaitFor([this] { return monitor.state == ConnectionState::Connected; });
}

bool WaitFor(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired()) QTest::qWait(5);
    return done();
}

}  // namespace morvek::testing
