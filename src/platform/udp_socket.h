// The monitor's one UDP socket. Remote host and port are set by the settings, the command line
// and the setup dialog; Bind opens the socket towards them, SendData sends one datagram per call
// in call order, and every datagram from the server raises DataArrival once, its bytes kept
// whole by GetData. Datagrams from any other address or port are dropped.
#pragma once

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>
#include <cstdint>
#include <string>

namespace morvek::platform {

class UdpSocket : public QObject {
    Q_OBJECT
  public:
    enum State { kClosed = 0, kOpen = 1, kError = 9 };
    // Datagrams handled in one turn of the event loop (a NetQuake poll brings 17 replies).
    static constexpr int kDatagramsPerTurn = 32;

    explicit UdpSocket(QObject* parent = nullptr);

    const std::string& RemoteHost() const { return remote_host_; }
    void SetRemoteHost(std::string host) { remote_host_ = std::move(host); }
    std::int32_t RemotePort() const { return remote_port_; }
    void SetRemotePort(std::int32_t port) { remote_port_ = port; }
    int LocalPort() const { return local_port_; }
    void SetLocalPort(int port) { local_port_ = port; }
    // Dotted address of the last peer heard from; empty until a datagram has arrived.
    const std::string& RemoteHostIP() const { return remote_host_ip_; }

    int State() const { return state_; }
    // Why the last Bind failed ("cannot resolve host ..."); empty after a Bind that succeeded.
    const std::string& BindError() const { return bind_error_; }

    // Resolves the remote host and opens the socket towards it. A host that cannot be resolved or
    // a port outside 1 to 65535 leaves the state at kError; no event is raised.
    void Bind();
    // One datagram. On a closed socket the socket is opened again first; returns false when the
    // datagram could not be sent (nothing else happens).
    bool SendData(const std::string& bytes);
    // The datagram of the current DataArrival event.
    const std::string& GetData() const { return current_; }
    void Close();

    // Port the socket is bound to locally (0 when closed); for tests.
    quint16 BoundPort() const { return socket_.localPort(); }

  signals:
    void DataArrival(int bytes_total);
    void Error(int number, const QString& description);

  private:
    void ReadPending();
    void SocketError(QAbstractSocket::SocketError error);

    QUdpSocket socket_;
    std::string remote_host_;
    std::int32_t remote_port_ = 26000;
    int local_port_ = 0;
    std::string remote_host_ip_;
    int state_ = kClosed;
    QHostAddress peer_;
    quint16 peer_port_ = 0;
    std::string current_;
    // Every datagram is read into this one buffer (the largest a UDP datagram can be), allocated
    // on the first read and kept.
    static constexpr int kMaxDatagram = 65536;
    QByteArray buffer_;
    std::string bind_error_;
};

// Resolves a host name or dotted address, preferring IPv4; a null address when it cannot.
QHostAddress ResolveHost(const std::string& host);

}  // namespace morvek::platform
