// The match recorder: "&Record..." asks for a ".mv" file and turns recording on; every poll tick
// while connected appends one record of the panel and the player table. The file is opened and
// closed for each record, so it is complete on disk between ticks.
#pragma once

#include <string>

#include "core/hooks.h"
#include "core/monitor.h"
#include "log/log_format.h"
#include "platform/dialogs.h"

namespace morvek {

// The open-file dialog's filter and default extension for logs.
extern const char* const kLogFilter;     // "Morvek files (*.mv)|*.mv|All files (*.*)|*.*"
extern const char* const kLogExtension;  // ".mv"

// The file dialog that chooses a log, to record (a new name may be typed) or to open (it must
// exist).
platform::OpenFileRequest LogFileRequest(const char* title, bool must_exist);
extern const char* const kLogExistsWarning;  // the question asked before replacing a log

// "&Record...": asks for the file (a new name may be typed), asks before deleting an existing one
// (Yes deletes it at once), then sets LogPath, turns playback off and recording on, resets the log
// player, clears the match data and updates the menu. Cancel or No change nothing. No file is
// created here: the first written record creates it.
void StartRecording(Monitor& monitor, platform::Dialogs& dialogs, MonitorHooks& hooks);

// The header and the record the monitor shows now; Hour and Minute are given.
logfile::LogHeader HeaderFromMonitor(const Monitor& monitor);
logfile::LogRecord RecordFromMonitor(const Monitor& monitor, int hour, int minute);

// Appends one record to `path`, writing the header first when the file does not exist. Returns
// false, with the cause in `why`, when the file could not be created or written; a failed write
// leaves the file as it was before the call (a header that could not be written completely is
// removed, a partial record is cut off), so later records stay at their offsets.
bool AppendLogRecord(const QString& path, const logfile::LogHeader& header,
                     const logfile::LogRecord& record, QString* why = nullptr);

// One poll tick's record of the monitor into LogPath, stamped with the local hour and minute.
// With `replace`, a file already there is replaced whole by the header and this first record
// (atomically: until then the old file stays). False, with the cause in `why`, when the file
// could not be written; recording goes on.
bool WriteLogRecord(Monitor& monitor, bool replace = false, QString* why = nullptr);

}  // namespace morvek
