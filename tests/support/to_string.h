// How a failed QCOMPARE prints the values it compared. QTest::toString falls back to QDebug
// streaming, so each type gets one operator<<: byte strings print with their non-printable bytes
// escaped (and so do vectors of them, through Qt's own std::vector printer).
#pragma once

#include <QDebug>
#include <array>
#include <string>

#include "query/netquake.h"
#include "query/status.h"

QDebug operator<<(QDebug debug, const std::string& bytes);

// A player record or view row: its nine fields.
template <std::size_t N>
QDebug operator<<(QDebug debug, const std::array<std::string, N>& fields) {
    QDebugStateSaver saver(debug);
    debug.nospace() << "{";
    for (std::size_t i = 0; i < N; ++i) debug << (i ? ", " : "") << fields[i];
    return debug << "}";
}

namespace morvek::status {
QDebug operator<<(QDebug debug, const Setting& setting);
QDebug operator<<(QDebug debug, const Player& player);
QDebug operator<<(QDebug debug, const StatusReply& reply);
}  // namespace morvek::status

namespace morvek::netquake {
QDebug operator<<(QDebug debug, const Reply& reply);
}  // namespace morvek::netquake
