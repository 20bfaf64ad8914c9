// The metrics endpoint: an HTTP server (Qt's HTTP server module) answering GET /metrics in the
// Prometheus text format and GET /status.json with the picture's JSON object, from the model as
// it stands; anything else is 404. Scrapes only read the model, so the graph, the log and the
// page never see one.
//
// A scraper cannot hold the monitor up: every answer is made at once in the event loop, at most
// kMaxConnections connections are open at once (any more are closed on arrival), a connection
// lives at most kConnectionLifetimeMs, and one that sends more than kMaxRequestBytes is closed.
#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "core/monitor.h"
#include "metrics/exposition.h"

class QHttpServer;

namespace morvek::metrics {

inline constexpr int kMaxConnections = 8;
inline constexpr int kConnectionLifetimeMs = 10000;
inline constexpr qint64 kMaxRequestBytes = 16 * 1024;

class MetricsServer : public QObject {
    Q_OBJECT
  public:
    explicit MetricsServer(const Monitor& monitor, QObject* parent = nullptr);
    ~MetricsServer() override;

    // Starts listening; on failure returns false and sets `error` to the reason.
    bool Listen(const ListenAddress& where, std::string& error);
    quint16 Port() const;
    // Connections open now.
    int OpenConnections() const;

  private:
    const Monitor& monitor_;
    std::unique_ptr<QHttpServer> http_;
    class GuardedTcpServer* tcp_ = nullptr;
};

}  // namespace morvek::metrics
