#include "DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QVariantMap>

namespace dwfm {

namespace {
DesktopNotifier *g_installed = nullptr;

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// A notification stays until the user closes it: a colleague's file may come free while
// the user is away from the screen.
constexpr int kNeverExpires = 0;
constexpr int kCallTimeoutMs = 2000;
} // namespace

DesktopNotifier::~DesktopNotifier() = default;

DesktopNotifier &desktopNotifier()
{
    static DBusNotifier dbus;
    return g_installed ? *g_installed : dbus;
}

void setDesktopNotifier(DesktopNotifier *notifier) { g_installed = notifier; }

DBusNotifier::DBusNotifier(QObject *parent) : DesktopNotifier(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.connect(kService, kPath, kService, QStringLiteral("ActionInvoked"), this,
                    SLOT(actionInvoked(quint32, QString)));
}

quint32 DBusNotifier::notify(const QString &summary, const QString &body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return 0;
    // A service that is not running but can be started by the bus counts as present.
    const QDBusConnectionInterface *names = bus.interface();
    if (names && !names->isServiceRegistered(kService) && !names->activatableServiceNames().value().contains(kService))
        return 0;
    QDBusInterface service(kService, kPath, kService, bus);
    service.setTimeout(kCallTimeoutMs);
    const QDBusReply<quint32> id =
        service.call(QStringLiteral("Notify"), QStringLiteral("DW Bestandsbeheer"), quint32(0),
                     QStringLiteral("document-open"), summary, body,
                     QStringList{QStringLiteral("default"), QStringLiteral("Tonen")}, QVariantMap(), kNeverExpires);
    return id.isValid() ? id.value() : 0;
}

void DBusNotifier::actionInvoked(quint32 id, const QString &action)
{
    if (action == QLatin1String("default"))
        emit clicked(id);
}

} // namespace dwfm
