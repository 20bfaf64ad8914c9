// The monitor's one UDP socket. Remote host and port are set by the settings, the command line
// and the setup dialog; Bind opens the socket towards them, SendData sends one datagram per call
// in call order, and every datagram from the server raises Received once, its bytes kept
// whole by GetData. Datagrams from any other address or port are dropped.
//
// Datagrams and socket errors are read when the socket says it is readable and handed on from a
// queued call, in arrival order, never from inside QUdpSocket's readyRead: a handler that opens a
// modal box spins a nested event loop, and Qt does not raise readyRead again until the signal
// that is running returns, so replies would pile up unread behind the box.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUdpSocket>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

namespace morvek::platform {

class UdpSocket : public QObject {
    Q_OBJECT
  public:
    // kResolving: the host name is being looked up (a transitional state).
    enum State { kClosed = 0, kOpen = 1, kResolving = 4, kError = 9 };
    // Datagrams handled in one turn of the event loop (a NetQuake poll brings 17 replies).
    static constexpr int kDatagramsPerTurn = 32;
    // Datagrams read but not yet handled, at most: past that the socket is left unread (the system
    // buffers or drops) until the handlers catch up.
    static constexpr std::size_t kMaxQueued = 256;

    // Looks a host name up without blocking and calls `done` later, on this thread, with its
    // addresses (none when it cannot be resolved). The default asks the system's resolver.
    using Resolver = std::function<void(const QString& name, QObject* context,
                                        std::function<void(const QList<QHostAddress>&)> done)>;

    explicit UdpSocket(QObject* parent = nullptr);

    const std::string& RemoteHost() const { return remote_host_; }
    void SetRemoteHost(std::string host) { remote_host_ = std::move(host); }
    std::int32_t RemotePort() const { return remote_port_; }
    void SetRemotePort(std::int32_t port) { remote_port_ = port; }
    void SetLocalPort(int port) { local_port_ = port; }
    // Dotted address of the last peer heard from; empty until a datagram has arrived.
    const std::string& RemoteHostIP() const { return remote_host_ip_; }

    int State() const { return state_; }
    // Why the last Bind failed ("cannot resolve host ..."); empty after a Bind that succeeded.
    const std::string& BindError() const { return bind_error_; }

    // Opens the socket towards the remote host. A dotted address is used at once; a host name is
    // looked up without blocking (State() is kResolving meanwhile, and StateChanged is raised when
    // it settles). A host that cannot be resolved or a port outside 1 to 65535 leaves the state
    // at kError; no Error event is raised.
    void Bind();
    void SetResolver(Resolver resolver) { resolver_ = std::move(resolver); }
    // One datagram. On a closed socket the socket is opened again first; returns false when the
    // datagram could not be sent (nothing else happens), as while a host name is looked up.
    bool SendData(const std::string& bytes);
    // The datagram of the current Received event.
    const std::string& GetData() const { return current_; }
    void Close();

    // Port the socket is bound to locally (0 when closed); for tests.
    quint16 BoundPort() const { return socket_.localPort(); }

  signals:
    void Received(int bytes_total);
    void Error(int number, const QString& description);
    void StateChanged();

  private:
    void ReadPending();
    void SocketError(QAbstractSocket::SocketError error);
    void Open(const QHostAddress& address);
    void Resolved(const QList<QHostAddress>& addresses);
    void PostDispatch();
    void Dispatch();

    // A datagram read from the socket, or an error (number not 0) in its place in the order.
    struct Pending {
        std::string bytes;
        int error = 0;
        QString description;
    };

    QUdpSocket socket_;
    std::string remote_host_;
    std::int32_t remote_port_ = 26000;
    int local_port_ = 0;
    std::string remote_host_ip_;
    int state_ = kClosed;
    QHostAddress peer_;
    quint16 peer_port_ = 0;
    std::string current_;
    std::deque<Pending> queue_;
    bool dispatch_posted_ = false;
    bool reading_held_ = false;  // the queue was full: the socket was left unread
    Resolver resolver_;
    unsigned lookup_ = 0;  // the lookup whose answer counts; earlier answers are dropped
    // Every datagram is read into this one buffer (the largest a UDP datagram can be), allocated
    // on the first read and kept.
    static constexpr int kMaxDatagram = 65536;
    QByteArray buffer_;
    std::string bind_error_;
};

// The address to use among those a name resolves to: the first IPv4 one, else the first.
QHostAddress PreferredAddress(const QList<QHostAddress>& addresses);

}  // namespace morvek::platform
