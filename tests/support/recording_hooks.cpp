#include "support/recording_hooks.h"

#include <algorithm>
#include <utility>

namespace morvek::testing {

int RecordingHooks::Count(std::string_view call) const {
    return int(std::count(calls.begin(), calls.end(), call));
}

void RecordingHooks::WriteLogRecord() {
    calls.emplace_back("WriteLogRecord");
    if (on_write_log_record) on_write_log_record();
}

void RecordingHooks::ProcessEvents() {
    calls.emplace_back("ProcessEvents");
    if (on_process_events) std::exchange(on_process_events, nullptr)();
}

}  // namespace morvek::testing
