#include "log/dump.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include "core/numbers.h"
#include "core/text.h"
#include "log/log_format.h"

namespace morvek {

namespace {

using namespace logfile;

QJsonObject HeaderJson(const LogHeader& h, std::int64_t count, std::int64_t length) {
    return QJsonObject{{"kind", "header"},
                       {"server_name", FromCp1252(h.server_name)},
                       {"server_address", FromCp1252(h.server_address)},
                       {"server_port", FromCp1252(h.server_port)},
                       {"server_type", int(h.server_type)},
                       {"records", qint64(count)},
                       {"length", qint64(length)}};
}

QJsonObject RecordJson(const LogRecord& r, std::int64_t index) {
    QJsonArray players;
    for (int s = 0; s < kPlayerSlots; ++s) {
        const LogPlayerEntry& e = r.entries[std::size_t(s)];
        players.append(QJsonObject{{"slot", s},
                                   {"present", FromCp1252(e.present)},
                                   {"name", FromCp1252(e.name)},
                                   {"shirt", int(e.shirt)},
                                   {"pants", int(e.pants)},
                                   {"time", qint64(UnpackNumber(e.time))},
                                   {"frags", qint64(UnpackNumber(e.frags))}});
    }
    return QJsonObject{{"kind", "record"},
                       {"index", qint64(index)},
                       {"map", FromCp1252(r.sample.map)},
                       {"max_players", int(r.sample.max_players)},
                       {"current_players", int(r.sample.current_players)},
                       {"hour", int(r.sample.hour)},
                       {"minute", int(r.sample.minute)},
                       {"players", players}};
}

}  // namespace

int DumpLog(const QString& path, std::ostream& out, std::ostream& err) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        err << "morvek: cannot read the log file " << TerminalText(path) << "\n";
        return 1;
    }
    const std::int64_t length = file.size();
    const std::int64_t count = RecordCount(length);

    QByteArray header = file.read(kHeaderSize);
    out << JsonLine(HeaderJson(
               DecodeHeader(std::string_view(header.constData(), std::size_t(header.size()))),
               count, length))
        << "\n";
    for (std::int64_t n = 0; n < count; ++n) {
        // Sequential reads; a trailing partial record reads padded with blanks and zeros.
        QByteArray bytes;
        if (file.seek(RecordOffset(n))) bytes = file.read(kRecordSize);
        if (file.error() != QFileDevice::NoError) {
            err << "morvek: cannot read the log file " << TerminalText(path) << "\n";
            return 1;
        }
        out << JsonLine(RecordJson(
                   DecodeRecord(std::string_view(bytes.constData(), std::size_t(bytes.size()))), n))
            << "\n";
    }
    return out.good() ? 0 : 1;
}

}  // namespace morvek
