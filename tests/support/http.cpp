#include "support/http.h"

#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace morvek::testing {

quint16 FreeTcpPort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

HttpReply HttpRequest(quint16 port, const QByteArray& method, const QByteArray& target, int ms) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(ms)) return {};
    socket.write(method + " " + target +
                 " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray data;
    QDeadlineTimer deadline(ms);
    // Read until the server closes, or the whole body named by Content-Length is in.
    qsizetype end = -1, length = -1;
    while (!deadline.hasExpired() && socket.state() != QAbstractSocket::UnconnectedState) {
        QTest::qWait(5);
        if (socket.isOpen()) data += socket.readAll();
        if (end < 0 && (end = data.indexOf("\r\n\r\n")) >= 0) {
            for (const QByteArray& line : data.left(end).split('\n'))
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
        }
        if (end >= 0 && length >= 0 && data.size() >= end + 4 + length) break;
    }
    if (socket.isOpen()) data += socket.readAll();
    HttpReply reply;
    end = data.indexOf("\r\n\r\n");
    if (end < 0) return reply;
    const QList<QByteArray> lines = data.left(end).split('\n');
    reply.status = lines.value(0).split(' ').value(1).toInt();
    for (const QByteArray& line : lines)
        if (line.toLower().startsWith("content-type:")) reply.content_type = line.mid(13).trimmed();
    reply.body = data.mid(end + 4);
    if (length >= 0) reply.body.truncate(length);
    return reply;
}

}  // namespace morvek::testing
