// What the dialogs (setup, web publishing) need of the main window. The main window implements
// it; dialog tests use a small fake.
#pragma once

#include "core/monitor.h"

namespace morvek {
class Connection;
namespace platform {
class Timer;
class Dialogs;
}  // namespace platform

class MainWindowApi {
public:
    virtual ~MainWindowApi() = default;
    virtual Monitor& monitor() = 0;
    virtual Connection& connection() = 0;  // socket, timCheck, timTimeout, timCheck_Timer
    virtual platform::Timer& timHtml() = 0;
    virtual platform::Dialogs& dialogs() = 0;

    // The graph frame: shown or hidden, with RoulerV at 6360 or 4280 twips and, unless the window
    // is maximized, the window's outer height set to 6765 or 4280 twips.
    virtual bool GraphVisible() const = 0;
    virtual void SetGraphVisible(bool visible) = 0;
    virtual bool IsMaximized() const = 0;
    // Lays the window out (the resize rule) and redraws every panel from the model.
    virtual void Form_Resize() = 0;
    virtual void RefreshAll() = 0;
};

}  // namespace morvek
