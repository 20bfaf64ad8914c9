#include "ui/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QVariantMap>

namespace morvek {

void DesktopNotifier::Notify(const QString& summary, const QString& body,
                             const Fallback& fallback) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (fallback) fallback(summary, body);
        return;
    }
    // Notify(app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout).
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kNotificationService), QStringLiteral("/org/freedesktop/Notifications"),
        QString::fromLatin1(kNotificationService), QStringLiteral("Notify"));
    call << QStringLiteral("Morvek") << 0u << QString() << summary << body.toHtmlEscaped()
         << QStringList() << QVariantMap() << -1;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [summary, body, fallback](QDBusPendingCallWatcher* done) {
                if (done->isError() && fallback) fallback(summary, body);
                done->deleteLater();
            });
}

}  // namespace morvek
