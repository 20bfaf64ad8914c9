#include "support/to_string.h"

#include <QDebugStateSaver>

QDebug operator<<(QDebug debug, const std::string& bytes) {
    QDebugStateSaver saver(debug);
    QByteArray out = "\"";
    for (unsigned char c : bytes) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            out += "\\x" + QByteArray::number(c, 16).rightJustified(2, '0');
        }
    }
    debug.noquote().nospace() << out << '"';
    return debug;
}
