#pragma once

#include <QObject>
#include <QString>

namespace dwfm {

// The desktop-notification seam: a short message in the desktop's own notification area,
// which the user may click. The product sends it to the freedesktop notification service
// over D-Bus; tests install their own to read what was sent.
class DesktopNotifier : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~DesktopNotifier() override;

    // Shows `summary` and `body`; answers the notification's ID, or 0 when no notification
    // service took it (the caller then tells the user itself).
    virtual quint32 notify(const QString &summary, const QString &body) = 0;

signals:
    // The user clicked the notification with this ID.
    void clicked(quint32 id);
};

// The notifier of the process: the D-Bus one until a host or a test installs another.
DesktopNotifier &desktopNotifier();
// Installs `notifier` (not owned; null returns to D-Bus).
void setDesktopNotifier(DesktopNotifier *notifier);

// org.freedesktop.Notifications on the session bus, with a default action so that a click
// on the notification comes back as clicked().
class DBusNotifier final : public DesktopNotifier {
    Q_OBJECT
public:
    explicit DBusNotifier(QObject *parent = nullptr);
    quint32 notify(const QString &summary, const QString &body) override;

private slots:
    void actionInvoked(quint32 id, const QString &action);
};

} // namespace dwfm
