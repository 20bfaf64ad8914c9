#include "metrics/metrics_server.h"

#include <QHttpServer>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif

#include "core/picture.h"
#include "metrics/live_page.h"

namespace morvek::metrics {

// Accepts a connection only while fewer than kMaxConnections are open, and bounds its life and
// the bytes it may send. The HTTP server reads the sockets it hands over.
class GuardedTcpServer : public QTcpServer {
  public:
    using QTcpServer::QTcpServer;
    int open = 0;

    // A connection that became an event stream: no longer counted, no longer timed.
    void Release(QTcpSocket* socket) {
        if (auto* lifetime = socket->findChild<QTimer*>(QStringLiteral("lifetime"))) {
            socket->setProperty("stream", true);
            --open;
            delete lifetime;
        }
    }

  protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor) || open >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++open;
        auto* lifetime = new QTimer(socket);
        lifetime->setObjectName(QStringLiteral("lifetime"));
        lifetime->setSingleShot(true);
        connect(lifetime, &QTimer::timeout, socket, &QTcpSocket::abort);
        lifetime->start(kConnectionLifetimeMs);
        // The timer goes before the socket's destroyed signal: a timed connection still has it.
        connect(lifetime, &QObject::destroyed, this, [this, socket] {
            if (!socket->property("stream").toBool()) --open;
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        // Runs before the HTTP server's own reader, which takes everything available each time.
        auto* received = new qint64(0);
        connect(socket, &QObject::destroyed, this, [received] { delete received; });
        connect(socket, &QTcpSocket::readyRead, socket, [socket, received] {
            *received += socket->bytesAvailable();
            if (*received > kMaxRequestBytes) socket->abort();
        });
        addPendingConnection(socket);
    }
};

MetricsServer::MetricsServer(const Monitor& monitor, QObject* parent)
    : QObject(parent), monitor_(monitor), http_(std::make_unique<QHttpServer>()) {
    http_->route("/metrics", QHttpServerRequest::Method::Get, [this] {
        return QHttpServerResponse(QByteArray(kContentType),
                                   QByteArray::fromStdString(Exposition(monitor_)));
    });
    http_->route("/status.json", QHttpServerRequest::Method::Get, [this] {
        return QHttpServerResponse(
            QByteArray("application/json"),
            QByteArray::fromStdString(PictureJson(monitor_, monitor_.counters.polls)));
    });
    http_->route("/", QHttpServerRequest::Method::Get, [this] {
        std::optional<std::string> page;
        if (page_) page = page_();
        if (!page) return QHttpServerResponse(QHttpServerResponder::StatusCode::NotFound);
        return QHttpServerResponse(QByteArray("text/html; charset=") + PageCharset(*page),
                                   QByteArray::fromStdString(*page));
    });
    http_->route(
        "/live", QHttpServerRequest::Method::Get, [this](const QHttpServerRequest& request) {
            const bool overlay = request.query().queryItemValue("overlay") == "1";
            return QHttpServerResponse(QByteArray("text/html; charset=utf-8"),
                                       QByteArray::fromStdString(LivePage(monitor_, overlay)));
        });
    http_->route("/events", QHttpServerRequest::Method::Get,
                 [this](const QHttpServerRequest&, QHttpServerResponder&& responder) {
                     Subscribe(responder);
                 });
    heartbeat_.setInterval(kHeartbeatMs);
    connect(&heartbeat_, &QTimer::timeout, this, [this] { Send(": heartbeat\n\n"); });
}

MetricsServer::~MetricsServer() = default;

bool MetricsServer::Listen(const ListenAddress& where, std::string& error) {
    auto tcp = std::make_unique<GuardedTcpServer>(http_.get());
    if (!tcp->listen(where.address, where.port)) {
        error = "cannot serve metrics on " + where.address.toString().toStdString() + ":" +
                std::to_string(where.port) + ": " + tcp->errorString().toStdString();
        return false;
    }
    tcp_ = tcp.get();
    http_->bind(tcp.release());
    return true;
}

quint16 MetricsServer::Port() const {
    return tcp_ ? tcp_->serverPort() : 0;
}

int MetricsServer::OpenConnections() const {
    return tcp_ ? tcp_->open : 0;
}

void MetricsServer::Subscribe(QHttpServerResponder& responder) {
    QTcpSocket* socket = responder.socket();
    if (int(subscribers_.size()) >= kMaxSubscribers || !tcp_) {
        responder.write(QHttpServerResponder::StatusCode::ServiceUnavailable);
        return;
    }
    tcp_->Release(socket);
    responder.writeStatusLine();
    responder.writeHeaders({{"Content-Type", "text/event-stream"},
                            {"Cache-Control", "no-cache"},
                            {"X-Accel-Buffering", "no"}});
    // The scoreboard starts from the picture as it stands.
    responder.writeBody(QByteArray::fromStdString(LiveMessage(monitor_)));
    subscribers_.emplace_back(socket);
    heartbeat_.start();
}

// A message goes straight to the socket while nothing waits before it: a buffered write would wake
// the event loop twice per subscriber (its write notifier on, then off), which cost more than the
// send itself. What the socket does not take at once waits in its buffer, in order. False when
// the socket failed (it is closed).
bool MetricsServer::Write(QTcpSocket& socket, const QByteArray& message) {
    qint64 sent = 0;
#ifdef Q_OS_UNIX
    if (socket.bytesToWrite() == 0) {
        sent = ::send(int(socket.socketDescriptor()), message.constData(), size_t(message.size()),
                      MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            socket.abort();
            return false;
        }
        sent = std::max<qint64>(sent, 0);
    }
#endif
    if (sent < message.size()) socket.write(message.constData() + sent, message.size() - sent);
    return true;
}

void MetricsServer::Send(const QByteArray& message) {
    std::erase_if(subscribers_, [&](const QPointer<QTcpSocket>& socket) {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState) return true;
        // A subscriber that does not read is dropped rather than waited for.
        if (socket->bytesToWrite() > kMaxBacklogBytes) {
            socket->abort();
            return true;
        }
        return !Write(*socket, message);
    });
    if (subscribers_.empty()) heartbeat_.stop();
}

QByteArray MetricsServer::EventMessage(const std::string& json_line) {
    return QByteArray::fromStdString("id: " + std::to_string(++event_id_) + "\ndata: " + json_line +
                                     "\n\n");
}

void MetricsServer::TellEvent(const std::string& json_line) {
    const QByteArray message = EventMessage(json_line);
    if (!subscribers_.empty()) Send(message);
}

void MetricsServer::PollTick(const std::vector<std::string>& events) {
    // The tick's messages go out as one write per stream.
    QByteArray messages;
    for (const std::string& line : events) messages += EventMessage(line);
    if (subscribers_.empty()) return;
    // A picture like the last one sent tells nothing new.
    QByteArray picture = QByteArray::fromStdString(LiveMessage(monitor_));
    if (picture != last_picture_) {
        messages += picture;
        last_picture_ = std::move(picture);
    }
    if (!messages.isEmpty()) Send(messages);
}

}  // namespace morvek::metrics
