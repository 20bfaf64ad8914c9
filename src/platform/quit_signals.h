// SIGINT and SIGTERM delivered as an ordinary event: the callback runs on the event loop's thread,
// so a window can close (and write its settings) exactly as when the user closes it.
#pragma once

#include <functional>

namespace morvek::platform {

// Installs the handlers once; a later call replaces the callback.
void OnQuitSignal(std::function<void()> callback);

}  // namespace morvek::platform
