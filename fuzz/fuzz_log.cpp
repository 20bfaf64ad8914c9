// The log reader on arbitrary bytes: the input is written as a ".mv" file, opened with the
// player and walked with every button, then dumped as JSON lines. Header and first record go
// through a round trip: what is decoded encodes to the full size and decodes to the same again.
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>

#include "core/hooks.h"
#include "core/monitor.h"
#include "log/dump.h"
#include "log/log_format.h"
#include "log/player.h"
#include "platform/dialogs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvek;
    static QTemporaryDir dir;
    static const std::string path = dir.filePath("fuzz.mv").toStdString();
    {
        QFile file(QString::fromStdString(path));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const logfile::LogHeader header = logfile::DecodeHeader(bytes);
    const std::string header_bytes = logfile::EncodeHeader(header);
    if (header_bytes.size() != std::size_t(logfile::kHeaderSize) ||
        !(logfile::DecodeHeader(header_bytes) == header))
        __builtin_trap();
    const logfile::LogRecord record = logfile::DecodeRecord(
        bytes.substr(std::min(bytes.size(), std::size_t(logfile::kHeaderSize))));
    const std::string record_bytes = logfile::EncodeRecord(record);
    if (record_bytes.size() != std::size_t(logfile::kRecordSize) ||
        !(logfile::DecodeRecord(record_bytes) == record))
        __builtin_trap();

    Monitor monitor;
    // The graph's row count comes from the first byte so short and long windows both run.
    monitor.graph.SetRowCount(size > 0 ? data[0] % 24 : 20);
    monitor.graph.SetColumnCount(16);
    monitor.options.series_follow_max_players = size > 1 ? data[1] & 1 : 1;
    MonitorHooks hooks;
    platform::ScriptedDialogs dialogs;
    dialogs.files.push_back(path);
    OpenLog(monitor, dialogs, hooks);
    for (int index : {3, 4, 5, 2, 1, 0, 5, 1, 6}) StepReplay(monitor, hooks, index);
    std::int32_t p = 1 << 30;
    LoadLogPosition(monitor, hooks, p);
    p = -7;
    LoadLogPosition(monitor, hooks, p);

    std::ostringstream out, err;
    DumpLog(QString::fromStdString(path), out, err);
    return 0;
}
