#include "platform/udp_socket.h"

#include <QHostInfo>

namespace morvek::platform {

QHostAddress PreferredAddress(const QList<QHostAddress>& addresses) {
    QHostAddress first;
    for (const QHostAddress& a : addresses) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return a;
        if (first.isNull()) first = a;
    }
    return first;
}

UdpSocket::UdpSocket(QObject* parent) : QObject(parent) {
    connect(&socket_, &QUdpSocket::readyRead, this, &UdpSocket::ReadPending);
    connect(&socket_, &QUdpSocket::errorOccurred, this, &UdpSocket::SocketError);
    resolver_ = [](const QString& name, QObject* context,
                   std::function<void(const QList<QHostAddress>&)> done) {
        QHostInfo::lookupHost(name, context, [done = std::move(done)](const QHostInfo& info) {
            done(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>());
        });
    };
}

void UdpSocket::Bind() {
    socket_.abort();
    queue_.clear();
    ++lookup_;
    state_ = kError;
    bind_error_.clear();
    if (remote_port_ < 1 || remote_port_ > 65535) {
        bind_error_ = "port " + std::to_string(remote_port_) + " is out of range";
        return;
    }
    const QString name = QString::fromStdString(remote_host_).trimmed();
    if (name.isEmpty()) {
        bind_error_ = "cannot resolve host \"" + remote_host_ + "\"";
        return;
    }
    QHostAddress literal;
    if (literal.setAddress(name)) {
        Open(literal);
        return;
    }
    state_ = kResolving;
    const unsigned lookup = lookup_;
    resolver_(name, this, [this, lookup](const QList<QHostAddress>& addresses) {
        if (lookup == lookup_ && state_ == kResolving) Resolved(addresses);
    });
}

void UdpSocket::Resolved(const QList<QHostAddress>& addresses) {
    const QHostAddress address = PreferredAddress(addresses);
    if (address.isNull()) {
        state_ = kError;
        bind_error_ = "cannot resolve host \"" + remote_host_ + "\"";
    } else {
        Open(address);
    }
    emit StateChanged();
}

void UdpSocket::Open(const QHostAddress& address) {
    state_ = kError;
    QHostAddress local = address.protocol() == QAbstractSocket::IPv6Protocol
                             ? QHostAddress(QHostAddress::AnyIPv6)
                             : QHostAddress(QHostAddress::AnyIPv4);
    if (!socket_.bind(local, quint16(local_port_))) {
        bind_error_ = "cannot open a socket: " + socket_.errorString().toStdString();
        return;
    }
    // A connected UDP socket receives only from its peer and reports the peer's "port
    // unreachable" as an error.
    socket_.connectToHost(address, quint16(remote_port_));
    if (socket_.state() != QAbstractSocket::ConnectedState) {
        bind_error_ =
            "cannot reach \"" + remote_host_ + "\": " + socket_.errorString().toStdString();
        socket_.abort();
        return;
    }
    peer_ = address;
    peer_port_ = quint16(remote_port_);
    state_ = kOpen;
}

bool UdpSocket::SendData(const std::string& bytes) {
    if (state_ == kResolving) return false;
    if (state_ != kOpen) {
        Bind();
        if (state_ != kOpen) return false;
    }
    qint64 sent = socket_.write(bytes.data(), qint64(bytes.size()));
    return sent == qint64(bytes.size());
}

void UdpSocket::Close() {
    socket_.abort();
    queue_.clear();
    reading_held_ = false;
    ++lookup_;
    state_ = kClosed;
}

void UdpSocket::ReadPending() {
    // Read until the socket has nothing more, without peeking first: a peek would swallow the
    // "port unreachable" that a connected socket reports on its next read. Every read datagram
    // waits in the queue for Dispatch, so this returns at once and Qt raises readyRead again for
    // the next ones even while a handler's modal box is open.
    if (buffer_.isEmpty()) buffer_.resize(kMaxDatagram);
    reading_held_ = false;
    while (state_ == kOpen) {
        if (queue_.size() >= kMaxQueued) {
            // Left unread: Qt raises no readyRead until the next read, which Dispatch makes.
            reading_held_ = true;
            break;
        }
        QHostAddress sender;
        quint16 sender_port = 0;
        qint64 n = socket_.readDatagram(buffer_.data(), buffer_.size(), &sender, &sender_port);
        if (n < 0) {
            // Nothing more to read, or an error that errorOccurred has already reported.
            if (socket_.error() == QAbstractSocket::ConnectionRefusedError)
                SocketError(QAbstractSocket::ConnectionRefusedError);
            break;
        }
        // The kernel already filters a connected socket; check again so nothing else can write
        // into the picture.
        if (!sender.isNull() &&
            (!sender.isEqual(peer_, QHostAddress::TolerantConversion) || sender_port != peer_port_))
            continue;
        queue_.push_back({std::string(buffer_.constData(), std::size_t(n)), 0, {}});
    }
    PostDispatch();
}

void UdpSocket::PostDispatch() {
    if (dispatch_posted_ || queue_.empty()) return;
    dispatch_posted_ = true;
    QMetaObject::invokeMethod(this, &UdpSocket::Dispatch, Qt::QueuedConnection);
}

void UdpSocket::Dispatch() {
    dispatch_posted_ = false;
    // At most kDatagramsPerTurn at a time, so a flood cannot keep timers and signals waiting. A
    // handler may spin a nested event loop: the next Dispatch then runs inside it and takes the
    // following entries, and Close (from any handler) empties the queue.
    for (int handled = 0; handled < kDatagramsPerTurn && !queue_.empty(); ++handled) {
        Pending next = std::move(queue_.front());
        queue_.pop_front();
        if (next.error != 0) {
            emit Error(next.error, next.description);
            continue;
        }
        current_ = std::move(next.bytes);
        bool ok = false;
        quint32 v4 = peer_.toIPv4Address(&ok);
        remote_host_ip_ = (ok ? QHostAddress(v4) : peer_).toString().toStdString();
        emit Received(int(current_.size()));
    }
    if (reading_held_ && queue_.size() < kMaxQueued) ReadPending();
    PostDispatch();
}

namespace {
int ErrorNumber(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            return 10061;
        case QAbstractSocket::HostNotFoundError:
            return 11001;
        case QAbstractSocket::NetworkError:
            return 10050;
        case QAbstractSocket::AddressInUseError:
            return 10048;
        case QAbstractSocket::SocketAccessError:
            return 10013;
        case QAbstractSocket::DatagramTooLargeError:
            return 10040;
        default:
            return 10000 + int(error);
    }
}
}  // namespace

void UdpSocket::SocketError(QAbstractSocket::SocketError error) {
    // "Would block" is no error: it only says there was nothing to read.
    if (state_ != kOpen || error == QAbstractSocket::TemporaryError) return;
    state_ = kError;
    queue_.push_back({{}, ErrorNumber(error), socket_.errorString()});
    PostDispatch();
}

}  // namespace morvek::platform
