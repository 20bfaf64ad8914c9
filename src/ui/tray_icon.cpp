#include "ui/tray_icon.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include "ui/main_window.h"
#include "ui/presentation.h"

namespace morvek {

QPixmap TrayLamp(ConnectionState state, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const Rgb c = StatusColour(state);
    p.setPen(QPen(QColor(40, 40, 40), size / 12.0));
    p.setBrush(QColor(c.r, c.g, c.b));
    const double m = size / 8.0;
    p.drawEllipse(QRectF(m, m, size - 2 * m, size - 2 * m));
    return pixmap;
}

TrayIcon::TrayIcon(frmMain& window) : QObject(&window), window_(window) {
    menu = new QMenu;
    mnuShow = menu->addAction(QString());
    menu->addSeparator();
    mnuConnect = menu->addAction(QStringLiteral("&Connect"));
    mnuDisconnect = menu->addAction(QStringLiteral("&Disconnect"));
    menu->addSeparator();
    mnuExit = menu->addAction(QStringLiteral("&Exit"));
    connect(mnuShow, &QAction::triggered, this, &TrayIcon::ToggleWindow);
    connect(mnuConnect, &QAction::triggered, &window_, &frmMain::mnuConnect_Click);
    connect(mnuDisconnect, &QAction::triggered, &window_, &frmMain::mnuDisconnect_Click);
    connect(mnuExit, &QAction::triggered, &window_, &frmMain::mnuExit_Click);
    // The caption says what a click does now.
    connect(menu, &QMenu::aboutToShow, this, [this] {
        const bool shown = window_.isVisible() && !window_.isMinimized();
        mnuShow->setText(shown ? QStringLiteral("&Hide the window")
                               : QStringLiteral("&Show the window"));
    });
    icon = new QSystemTrayIcon(this);
    icon->setContextMenu(menu);
    connect(icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger || why == QSystemTrayIcon::DoubleClick) ToggleWindow();
    });
    connect(icon, &QSystemTrayIcon::messageClicked, this, [this] {
        if (!window_.isVisible() || window_.isMinimized()) ToggleWindow();
    });
}

TrayIcon::~TrayIcon() {
    delete menu;
}

void TrayIcon::Refresh(const Monitor& monitor, const QString& server) {
    if (shown_state_ != int(monitor.state)) {
        shown_state_ = int(monitor.state);
        icon->setIcon(QIcon(TrayLamp(monitor.state, 32)));
    }
    icon->setToolTip(QStringLiteral("Morvek: %1\n%2")
                         .arg(QString::fromLatin1(StatusText(monitor.state)), server));
    mnuConnect->setEnabled(window_.mnuConnect->isEnabled());
    mnuDisconnect->setEnabled(window_.mnuDisconnect->isEnabled());
}

void TrayIcon::ShowMessage(const QString& summary, const QString& body) {
    icon->showMessage(summary, body, QSystemTrayIcon::Information);
}

void TrayIcon::ToggleWindow() {
    if (window_.isVisible() && !window_.isMinimized()) {
        window_.hide();
        return;
    }
    window_.showNormal();
    window_.raise();
    window_.activateWindow();
}

}  // namespace morvek
