#include "platform/udp_socket.h"

#include <QHostInfo>

namespace morvek::platform {

QHostAddress ResolveHost(const std::string& host) {
    QString name = QString::fromStdString(host).trimmed();
    if (name.isEmpty()) return {};
    QHostAddress literal;
    if (literal.setAddress(name)) return literal;
    QHostInfo info = QHostInfo::fromName(name);
    if (info.error() != QHostInfo::NoError) return {};
    QHostAddress first;
    for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) return a;
        if (first.isNull()) first = a;
    }
    return first;
}

UdpSocket::UdpSocket(QObject* parent) : QObject(parent) {
    connect(&socket_, &QUdpSocket::readyRead, this, &UdpSocket::ReadPending);
    connect(&socket_, &QUdpSocket::errorOccurred, this, &UdpSocket::SocketError);
}

void UdpSocket::Bind() {
    socket_.abort();
    state_ = kError;
    bind_error_.clear();
    if (remote_port_ < 1 || remote_port_ > 65535) {
        bind_error_ = "port " + std::to_string(remote_port_) + " is out of range";
        return;
    }
    QHostAddress address = ResolveHost(remote_host_);
    if (address.isNull()) {
        bind_error_ = "cannot resolve host \"" + remote_host_ + "\"";
        return;
    }
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
    if (state_ != kOpen) {
        Bind();
        if (state_ != kOpen) return false;
    }
    qint64 sent = socket_.write(bytes.data(), qint64(bytes.size()));
    return sent == qint64(bytes.size());
}

void UdpSocket::Close() {
    socket_.abort();
    state_ = kClosed;
}

void UdpSocket::ReadPending() {
    // Read until the socket has nothing more, without peeking first: a peek would swallow the
    // "port unreachable" that a connected socket reports on its next read.
    // At most kDatagramsPerTurn at a time: the socket stays readable, so the rest comes on the next
    // turn of the event loop, and a flood cannot keep timers and signals waiting.
    if (buffer_.isEmpty()) buffer_.resize(kMaxDatagram);
    for (int read = 0; state_ == kOpen && read < kDatagramsPerTurn; ++read) {
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
        current_.assign(buffer_.constData(), std::size_t(n));
        bool ok = false;
        quint32 v4 = peer_.toIPv4Address(&ok);
        remote_host_ip_ = (ok ? QHostAddress(v4) : peer_).toString().toStdString();
        emit DataArrival(int(n));
    }
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
    emit Error(ErrorNumber(error), socket_.errorString());
}

}  // namespace morvek::platform
