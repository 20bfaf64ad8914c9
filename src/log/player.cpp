#include "log/player.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "core/numbers.h"
#include "log/log_format.h"
#include "log/recorder.h"

namespace morvek {

using logfile::kEntrySize;
using logfile::kHeaderSize;
using logfile::kRecordSize;
using logfile::kSampleSize;
using logfile::RecordOffset;

namespace {

// Reads up to `size` bytes at `offset`; fewer (or none) where the file ends. Never seeks past the
// end of the file.
std::string ReadAt(QFile& file, std::int64_t offset, std::int64_t size) {
    if (offset < 0 || size <= 0 || offset >= file.size()) return {};
    if (!file.seek(offset)) return {};
    QByteArray data = file.read(std::min<std::int64_t>(size, file.size() - offset));
    return std::string(data.constData(), std::size_t(data.size()));
}

// Fills graph rows 1 .. RowCount from the records starting at f, labelling row m "A". Each row
// takes the record's frags as a live poll takes the table's Frags fields (the numbers the record
// would write there, read back by FragsValue); the caller then loads the current record into the
// table.
void RefillGraph(Monitor& monitor, QFile& file, std::int64_t count, std::int64_t p) {
    FragGraph& graph = monitor.graph;
    if (count <= 0) {
        // Nothing to plot: keep the row count (cutting it to 0 would leave live polling with no
        // rows) and show an empty graph.
        ClearGraph(graph);
        return;
    }
    std::int64_t rows = graph.RowCount();
    std::int64_t f = count < p + rows ? count - rows : p;
    if (f < 0) {
        graph.SetRowCount(static_cast<int>(count));
        f = 0;
    }
    std::int64_t m = p - f + 1;
    rows = graph.RowCount();
    std::string block = ReadAt(file, RecordOffset(f), rows * kRecordSize);
    std::array<double, kPlayerSlots> values{};
    std::array<bool, kPlayerSlots> held{};
    for (int r = 1; r <= rows; ++r) {
        std::string_view record;
        std::size_t start = std::size_t(r - 1) * std::size_t(kRecordSize);
        if (start < block.size()) record = std::string_view(block).substr(start, kRecordSize);
        for (int s = 0; s < kPlayerSlots; ++s) {
            const std::size_t entry = std::size_t(kSampleSize + kEntrySize * s);
            const std::size_t at = entry + 22;
            logfile::PackedNumber frags{};
            for (std::size_t i = 0; i < 4; ++i)
                frags[i] = at + i < record.size() ? static_cast<std::uint8_t>(record[at + i]) : 0;
            values[std::size_t(s)] = FragsValue(double(logfile::UnpackNumber(frags)));
            // The entry's Present byte: "1", or a blank for a slot that held no player.
            held[std::size_t(s)] = entry < record.size() && !IsEmptyMark(record.substr(entry, 1));
        }
        AddGraphSample(graph, r, values, held, true, monitor.table,
                       monitor.options.show_spectators);
        graph.SetRowLabel(r, r == m ? "A" : "");
    }
}

}  // namespace

std::int64_t LogRecordCount(const QString& path) {
    if (path.isEmpty()) return 0;
    QFileInfo info(path);
    if (!info.isFile()) return 0;
    return logfile::RecordCount(info.size());
}

void OpenLog(Monitor& monitor, platform::Dialogs& dialogs, MonitorHooks& hooks) {
    std::optional<QString> chosen =
        dialogs.OpenFile(LogFileRequest("Select a Log file to open", true));
    if (!chosen || chosen->isEmpty()) {
        monitor.log_path.clear();
        return;
    }

    monitor.log_path = *chosen;
    monitor.log_open = true;
    monitor.recording = false;

    QFile file(monitor.log_path);
    if (file.open(QIODevice::ReadOnly)) {
        logfile::LogHeader header = logfile::DecodeHeader(ReadAt(file, 0, kHeaderSize));
        monitor.snapshot.address = header.server_address;
        monitor.snapshot.name = header.server_name;
        monitor.snapshot.port = header.server_port;
        ApplyTypeCaptions(monitor, ServerType(header.server_type));
        file.close();
    }

    StepReplay(monitor, hooks, 0);
    hooks.UpdateMenuState();
    // Every step is offered at first, however the first one went; a log without a record offers
    // none.
    const bool any = LogRecordCount(monitor.log_path) != 0;
    monitor.replay.can_go_back = monitor.replay.can_go_forward = any;
    hooks.RefreshPanel();
}

void StepReplay(Monitor& monitor, MonitorHooks& hooks, int index) {
    const std::int64_t count = LogRecordCount(monitor.log_path);
    std::int64_t p = monitor.replay.record - 1;
    const std::int64_t rows = monitor.graph.RowCount();

    switch (index) {
        case 0:
            p = 0;
            break;
        case 1:
            p -= rows;
            break;
        case 2:
            p -= 1;
            break;
        case 3:
            p += 1;
            break;
        case 4:
            p += rows;
            break;
        case 5:
            p = count;
            break;
        default:
            break;
    }

    Replay& replay = monitor.replay;
    replay.can_go_back = p > 0;
    if (!replay.can_go_back) p = 0;
    replay.can_go_forward = p < count - 1;
    if (!replay.can_go_forward) p = count - 1;
    // Brought back to the first record (a log of one record or none): nothing lies before it.
    if (p <= 0) replay.can_go_back = false;
    replay.record = p + 1;
    hooks.RefreshPanel();

    hooks.SetBusy(true);
    if (monitor.log_open && !monitor.log_path.isEmpty()) {
        auto position = static_cast<std::int32_t>(
            std::clamp<std::int64_t>(p, 0, std::numeric_limits<std::int32_t>::max()));
        LoadLogPosition(monitor, hooks, position);
    }
    hooks.SetBusy(false);
    hooks.RefreshPanel();
}

void LoadLogPosition(Monitor& monitor, MonitorHooks& hooks, std::int32_t& position) {
    QFile file(monitor.log_path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const std::int64_t count = logfile::RecordCount(file.size());

    // Never before the first record nor past the last one; a log without a complete record
    // shows record 0 read as blanks and zeros.
    std::int64_t p = position;
    p = std::min<std::int64_t>(p, std::max<std::int64_t>(count - 1, 0));
    p = std::max<std::int64_t>(p, 0);
    position = static_cast<std::int32_t>(p);

    logfile::LogSample first = logfile::DecodeSample(ReadAt(file, kHeaderSize, kSampleSize));
    if (monitor.graph.visible && monitor.options.series_follow_max_players == 1)
        monitor.graph.SetColumnCount(first.max_players);

    logfile::LogRecord record = logfile::DecodeRecord(ReadAt(file, RecordOffset(p), kRecordSize));
    // The panel is written before the graph rows: a changed maximum can reset the graph (the
    // max-players rule), which would otherwise wipe the rows and the "A" mark just drawn.
    monitor.snapshot.map = record.sample.map;
    SetMaxPlayers(monitor, IntegerText(record.sample.max_players));
    monitor.snapshot.players = IntegerText(record.sample.current_players);

    if (monitor.graph.visible) RefillGraph(monitor, file, count, p);

    for (int s = 0; s < kPlayerSlots; ++s)
        logfile::EntryToSlot(record.entries[std::size_t(s)], monitor.table.slot[std::size_t(s)]);
    file.close();

    BuildPlayerView(monitor.table, monitor.view, monitor.options.player_sorting,
                    monitor.options.keep_disconnected, monitor.options.readable_names,
                    monitor.options.show_spectators);
    hooks.ShowPlayers();
}

}  // namespace morvek
