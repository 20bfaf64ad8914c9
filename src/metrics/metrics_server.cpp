#include "metrics/metrics_server.h"

#include <QHttpServer>
#include <QHttpServerResponse>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include "core/picture.h"

namespace morvek::metrics {

// Accepts a connection only while fewer than kMaxConnections are open, and bounds its life and
// the bytes it may send. The HTTP server reads the sockets it hands over.
class GuardedTcpServer : public QTcpServer {
  public:
    using QTcpServer::QTcpServer;
    int open = 0;

  protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor) || open >= kMaxConnections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++open;
        connect(socket, &QObject::destroyed, this, [this] { --open; });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(kConnectionLifetimeMs, socket, [socket] { socket->abort(); });
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

}  // namespace morvek::metrics
