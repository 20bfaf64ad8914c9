// What the dialogs (setup, web publishing) need of the main window. The main window implements
// it; dialog tests use a small fake.
#pragma once

#include "core/monitor.h"
#include "core/settings.h"

namespace morvek {
namespace platform {
class Dialogs;
}  // namespace platform

class MainWindowApi {
  public:
    virtual ~MainWindowApi() = default;
    virtual Monitor& monitor() = 0;
    virtual platform::Dialogs& dialogs() = 0;

    // The settings as the live objects hold them, and the one way back (query/live_settings.h):
    // the monitor model always, the socket, timers and HTML period as `reach` says.
    virtual SettingsValues Settings() = 0;
    virtual void ApplySettings(const SettingsValues& values, unsigned reach) = 0;
    // Publishing every period; or one page now, then none, and one poll tick at once.
    virtual void SetPublishing(bool periodic) = 0;

    // The graph frame: shown or hidden, with the minimum height at 6360 or 4280 twips and, unless
    // the window is maximized, the window's outer height set to 6765 or 4280 twips.
    virtual bool GraphVisible() const = 0;
    virtual void SetGraphVisible(bool visible) = 0;
    virtual bool IsMaximized() const = 0;
    // Lays the window out (the resize rule) and redraws every panel from the model.
    virtual void ApplyLayout() = 0;
    virtual void RefreshAll() = 0;
};

}  // namespace morvek
