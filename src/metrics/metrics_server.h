// The metrics endpoint: an HTTP server (Qt's HTTP server module) answering GET /metrics in the
// Prometheus text format and GET /status.json with the picture's JSON object, from the model as
// it stands; GET / with the page as it would be published now, GET /events with the event stream
// (Server-Sent Events) and GET /live with the scoreboard that follows it; anything else is 404.
// Scrapes only read the model, so the graph, the log and the page never see one.
//
// A scraper cannot hold the monitor up: every answer is made at once in the event loop, at most
// kMaxConnections connections are open at once (any more are closed on arrival), a connection
// lives at most kConnectionLifetimeMs, and one that sends more than kMaxRequestBytes is closed.
// An event stream is a connection of its own kind: at most kMaxSubscribers at once (any more are
// answered 503), living as long as it reads; one that lets more than kMaxBacklogBytes wait
// unread is dropped, so a write never waits and nothing grows.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/monitor.h"
#include "metrics/exposition.h"

class QHttpServer;
class QHttpServerResponder;
class QTcpSocket;

namespace morvek::metrics {

inline constexpr int kMaxConnections = 8;
inline constexpr int kConnectionLifetimeMs = 10000;
inline constexpr qint64 kMaxRequestBytes = 16 * 1024;
inline constexpr int kMaxSubscribers = 16;
inline constexpr qint64 kMaxBacklogBytes = 256 * 1024;
inline constexpr int kHeartbeatMs = 15000;

class MetricsServer : public QObject {
    Q_OBJECT
  public:
    explicit MetricsServer(const Monitor& monitor, QObject* parent = nullptr);
    ~MetricsServer() override;

    // Starts listening; on failure returns false and sets `error` to the reason.
    bool Listen(const ListenAddress& where, std::string& error);
    quint16 Port() const;
    // Connections open now, event streams apart.
    int OpenConnections() const;
    int Subscribers() const { return int(subscribers_.size()); }

    // What GET / serves: the page rendered now, or nothing (404) while there is none.
    void SetPage(std::function<std::optional<std::string>()> page) { page_ = std::move(page); }
    // One event, as the JSON line --json writes for it (without the line end), to every stream.
    void TellEvent(const std::string& json_line);
    // A poll tick: its events (as TellEvent), then the scoreboard's picture unless it is the one
    // sent last, to every stream.
    void PollTick(const std::vector<std::string>& events = {});

  private:
    void Subscribe(QHttpServerResponder& responder);
    void Send(const QByteArray& message);
    // The next event's message: its id and its line.
    QByteArray EventMessage(const std::string& json_line);
    static bool Write(QTcpSocket& socket, const QByteArray& message);

    const Monitor& monitor_;
    std::function<std::optional<std::string>()> page_;
    std::vector<QPointer<QTcpSocket>> subscribers_;
    QTimer heartbeat_;
    quint64 event_id_ = 0;
    QByteArray last_picture_;
    std::unique_ptr<QHttpServer> http_;
    class GuardedTcpServer* tcp_ = nullptr;
};

}  // namespace morvek::metrics
