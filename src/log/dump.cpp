#include "log/dump.h"

#include <QFile>
#include <QFileInfo>

#include "core/numbers.h"
#include "core/text.h"
#include "log/log_format.h"

namespace morvek {

namespace {

using namespace logfile;

std::string HeaderJson(const LogHeader& h, std::int64_t count, std::int64_t length) {
    std::string line = "{\"kind\":\"header\",\"server_name\":" + JsonString(h.server_name);
    line += ",\"server_address\":" + JsonString(h.server_address);
    line += ",\"server_port\":" + JsonString(h.server_port);
    line += ",\"server_type\":" + IntegerText(h.server_type);
    line += ",\"records\":" + IntegerText(count);
    line += ",\"length\":" + IntegerText(length);
    line += "}";
    return line;
}

std::string RecordJson(const LogRecord& r, std::int64_t index) {
    std::string line = "{\"kind\":\"record\",\"index\":" + IntegerText(index);
    line += ",\"map\":" + JsonString(r.sample.map);
    line += ",\"max_players\":" + IntegerText(r.sample.max_players);
    line += ",\"current_players\":" + IntegerText(r.sample.current_players);
    line += ",\"hour\":" + IntegerText(r.sample.hour);
    line += ",\"minute\":" + IntegerText(r.sample.minute);
    line += ",\"players\":[";
    for (int s = 0; s < kPlayerSlots; ++s) {
        const LogPlayerEntry& e = r.entries[std::size_t(s)];
        if (s > 0) line += ",";
        line += "{\"slot\":" + IntegerText(s);
        line += ",\"present\":" + JsonString(e.present);
        line += ",\"name\":" + JsonString(e.name);
        line += ",\"shirt\":" + IntegerText(e.shirt);
        line += ",\"pants\":" + IntegerText(e.pants);
        line += ",\"time\":" + IntegerText(UnpackNumber(e.time));
        line += ",\"frags\":" + IntegerText(UnpackNumber(e.frags));
        line += "}";
    }
    line += "]}";
    return line;
}

}  // namespace

int DumpLog(const std::string& path, std::ostream& out, std::ostream& err) {
    QString name = QString::fromLocal8Bit(path.data(), qsizetype(path.size()));
    QFile file(name);
    if (!QFileInfo(name).isFile() || !file.open(QIODevice::ReadOnly)) {
        err << "morvek: cannot read the log file " << path << "\n";
        return 1;
    }
    const std::int64_t length = file.size();
    const std::int64_t count = RecordCount(length);

    QByteArray header = file.read(kHeaderSize);
    out << HeaderJson(
               DecodeHeader(std::string_view(header.constData(), std::size_t(header.size()))),
               count, length)
        << "\n";
    for (std::int64_t n = 0; n < count; ++n) {
        // Sequential reads; a trailing partial record reads padded with blanks and zeros.
        QByteArray bytes;
        if (file.seek(RecordOffset(n))) bytes = file.read(kRecordSize);
        if (file.error() != QFileDevice::NoError) {
            err << "morvek: cannot read the log file " << path << "\n";
            return 1;
        }
        out << RecordJson(
                   DecodeRecord(std::string_view(bytes.constData(), std::size_t(bytes.size()))), n)
            << "\n";
    }
    return out.good() ? 0 : 1;
}

}  // namespace morvek
