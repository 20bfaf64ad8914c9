#include "log/recorder.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include "core/text.h"
#include "platform/files.h"

namespace morvek {

const char* const kLogFilter = "Morvek files (*.mv)|*.mv|All files (*.*)|*.*";
const char* const kLogExtension = ".mv";
const char* const kLogExistsWarning =
    "Warning: the log file already exists (cannot append informations to existings log files). "
    "Do you want delete the old log?";

namespace {

// Writes all of `bytes` (the file is unbuffered, so nothing is left to be written at close);
// false on any shortfall.
bool WriteAll(QFile& file, const std::string& bytes) {
    qint64 written = file.write(bytes.data(), qint64(bytes.size()));
    if (written != qint64(bytes.size())) return false;
    return file.flush() && file.error() == QFileDevice::NoError;
}

}  // namespace

platform::OpenFileRequest LogFileRequest(const char* title, bool must_exist) {
    platform::OpenFileRequest request;
    request.title = title;
    request.filter = kLogFilter;
    request.default_extension = kLogExtension;
    request.must_exist = must_exist;
    return request;
}

void StartRecording(Monitor& monitor, platform::Dialogs& dialogs, MonitorHooks& hooks) {
    std::optional<QString> chosen =
        dialogs.OpenFile(LogFileRequest("Select a Log file to record", false));
    if (!chosen || chosen->isEmpty()) return;

    const QString name = *chosen;
    if (!platform::IsReplaceable(name)) {
        dialogs.ShowMessage(platform::NotRegularFileText(name), "Morvek",
                            platform::MessageIcon::Critical, platform::MessageButtons::Ok);
        return;
    }
    if (QFileInfo::exists(name)) {
        auto answer =
            dialogs.Message(kLogExistsWarning, "Morvek", platform::MessageIcon::Exclamation,
                            platform::MessageButtons::YesNo);
        if (answer != platform::MessageResult::Yes) return;
        // A log that cannot be deleted is not appended to: recording does not start.
        if (!platform::RemoveRegularFile(name)) return;
    }

    monitor.log_path = name;
    monitor.recording = true;
    ResetLogPlayer(monitor);
    ClearMatchData(monitor, hooks);
    hooks.UpdateMenuState();
    hooks.RefreshPanel();
}

logfile::LogHeader HeaderFromMonitor(const Monitor& monitor) {
    logfile::LogHeader h;
    h.server_name = logfile::FixedText(monitor.snapshot.name, logfile::kTextWidth);
    h.server_address = logfile::FixedText(monitor.snapshot.address, logfile::kTextWidth);
    h.server_port = logfile::FixedText(monitor.snapshot.port, logfile::kTextWidth);
    h.server_type = TypeCode(monitor.server_type);
    return h;
}

logfile::LogRecord RecordFromMonitor(const Monitor& monitor, int hour, int minute) {
    logfile::LogRecord r;
    r.sample.map = logfile::FixedText(monitor.snapshot.map, logfile::kTextWidth);
    r.sample.max_players = logfile::ByteField(monitor.snapshot.max_players);
    r.sample.current_players = logfile::ByteField(monitor.snapshot.players);
    r.sample.hour = static_cast<std::uint8_t>(hour);
    r.sample.minute = static_cast<std::uint8_t>(minute);
    for (int s = 0; s < kPlayerSlots; ++s)
        r.entries[std::size_t(s)] = logfile::EntryFromSlot(monitor.table.slot[std::size_t(s)]);
    return r;
}

bool AppendLogRecord(const QString& name, const logfile::LogHeader& header,
                     const logfile::LogRecord& record, QString* why) {
    const auto fail = [why](const QString& cause) {
        if (why) *why = cause;
        return false;
    };
    if (name.isEmpty()) return fail(QStringLiteral("no file"));
    // A device or a pipe is never written to (a pipe without a reader would block the program).
    if (!platform::IsReplaceable(name)) return fail(QStringLiteral("not a regular file"));

    if (!QFileInfo::exists(name)) {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return fail(file.errorString());
        bool ok = WriteAll(file, logfile::EncodeHeader(header));
        file.close();
        if (!ok || file.error() != QFileDevice::NoError) {
            // A short header would shift every record after it.
            const QString cause = file.errorString();
            QFile::remove(name);
            return fail(cause);
        }
    }

    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return fail(file.errorString());
    qint64 before = file.size();
    bool ok = WriteAll(file, logfile::EncodeRecord(record));
    if (!ok) {
        fail(file.errorString());
        // Cut a partial record off so the next one lands at its offset (a device such as a full
        // disk's file cannot be resized; nothing more can be done then).
        file.unsetError();
        if (!file.isSequential()) file.resize(before);
    }
    file.close();
    return ok;
}

bool WriteLogRecord(Monitor& monitor, bool replace, QString* why) {
    if (monitor.log_path.isEmpty()) return true;
    QTime now = QTime::currentTime();
    const logfile::LogRecord record = RecordFromMonitor(monitor, now.hour(), now.minute());
    if (!replace) return AppendLogRecord(monitor.log_path, HeaderFromMonitor(monitor), record, why);
    const std::string bytes =
        logfile::EncodeHeader(HeaderFromMonitor(monitor)) + logfile::EncodeRecord(record);
    return platform::ReplaceFile(monitor.log_path,
                                 QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                 false, why);
}

}  // namespace morvek
