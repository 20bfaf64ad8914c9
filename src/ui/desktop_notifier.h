// Desktop notifications through the freedesktop notification service on the session bus
// (org.freedesktop.Notifications). Where the bus or the service is missing, or the call fails,
// the alert goes to the fallback (the tray's balloon) instead; without one it is dropped.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace morvek {

inline constexpr char kNotificationService[] = "org.freedesktop.Notifications";

class DesktopNotifier : public QObject {
    Q_OBJECT
  public:
    using Fallback = std::function<void(const QString& summary, const QString& body)>;
    explicit DesktopNotifier(QObject* parent = nullptr) : QObject(parent) {}

    // Asks the service to show the notification, without waiting for its answer (the fallback
    // runs when the answer is an error). The body is plain text: it is escaped, since the service
    // may read it as markup.
    void Notify(const QString& summary, const QString& body, const Fallback& fallback);
};

}  // namespace morvek
