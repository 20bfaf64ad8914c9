// A plain HTTP/1.1 GET over a QTcpSocket on 127.0.0.1, read to the end (bounded wait).
#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace morvek::testing {

struct HttpReply {
    int status = 0;  // 0: no reply
    QByteArray content_type;
    QByteArray body;
};

// A TCP port on 127.0.0.1 that was free when asked.
quint16 FreeTcpPort();

HttpReply HttpRequest(quint16 port, const QByteArray& method, const QByteArray& target,
                      int ms = 5000);

}  // namespace morvek::testing
