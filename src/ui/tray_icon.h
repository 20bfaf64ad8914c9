// The icon in the desktop's tray: a lamp in the connection state's colour (the window's own lamp
// colours), a tooltip with the state and the server, and a menu with the window's commands
// ("Show the window" or "Hide the window", "Connect", "Disconnect", "Exit"), enabled as the
// window's are. The window makes one only while the desktop has a tray and an alert or closing to
// the tray is switched on; alerts fall back to its balloon messages where the desktop has no
// notification service.
#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

#include "core/monitor.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace morvek {

class MainWindow;

// The tray's picture of a connection state: a round lamp in StatusColour.
QPixmap TrayLamp(ConnectionState state, int size);

class TrayIcon : public QObject {
    Q_OBJECT
  public:
    explicit TrayIcon(MainWindow& window);
    ~TrayIcon() override;

    // Colour, tooltip and the menu's enabled commands from the picture; `server` names the server.
    void Refresh(const Monitor& monitor, const QString& server);
    void ShowMessage(const QString& summary, const QString& body);
    // Shows the window when it is hidden or minimized, hides it otherwise.
    void ToggleWindow();

    QSystemTrayIcon* icon = nullptr;
    QMenu* menu = nullptr;
    QAction* showAction = nullptr;
    QAction* connectAction = nullptr;
    QAction* disconnectAction = nullptr;
    QAction* exitAction = nullptr;

  private:
    MainWindow& window_;
    int shown_state_ = -1;  // the state whose lamp the icon shows
};

}  // namespace morvek
