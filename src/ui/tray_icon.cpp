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

TrayIcon::TrayIcon(MainWindow& window) : QObject(&window), window_(window) {
    menu = new QMenu;
    showAction = menu->addAction(QString());
    menu->addSeparator();
    connectAction = menu->addAction(QStringLiteral("&Connect"));
    disconnectAction = menu->addAction(QStringLiteral("&Disconnect"));
    menu->addSeparator();
    exitAction = menu->addAction(QStringLiteral("&Exit"));
    connect(showAction, &QAction::triggered, this, &TrayIcon::ToggleWindow);
    connect(connectAction, &QAction::triggered, &window_, &MainWindow::Connect);
    connect(disconnectAction, &QAction::triggered, &window_, &MainWindow::Disconnect);
    connect(exitAction, &QAction::triggered, &window_, &MainWindow::Exit);
    // The caption says what a click does now.
    connect(menu, &QMenu::aboutToShow, this, [this] {
        const bool shown = window_.isVisible() && !window_.isMinimized();
        showAction->setText(shown ? QStringLiteral("&Hide the window")
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
    connectAction->setEnabled(window_.connectAction->isEnabled());
    disconnectAction->setEnabled(window_.disconnectAction->isEnabled());
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
