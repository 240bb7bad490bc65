#include "HostSettings.h"

#include "platform/Settings.h"

namespace HostSettings {

namespace {
// The keys sit beside the control's layout keys of this program ("dwfilemanColWidth1").
QString key(const char *name) { return QStringLiteral("dwfileman") + QLatin1String(name); }

std::unique_ptr<QSettings> settings()
{
    std::unique_ptr<QSettings> s = dwfm::UserSettings();
    s->beginGroup(QStringLiteral("Settings"));
    return s;
}

// Which store and user a remembered location belongs to.
QString storeIdentity(const StoreConnection &c)
{
    return QStringList{c.server.trimmed(), c.catalog.trimmed(), c.sqlSecurity ? c.user.trimmed().toLower() : QString()}
        .join(QLatin1Char('|'));
}
} // namespace

std::optional<StoreConnection> connection()
{
    const auto s = settings();
    if (!s->contains(key("SqlSecurity")))
        return std::nullopt;
    StoreConnection c;
    c.server = s->value(key("Server")).toString();
    c.catalog = s->value(key("Catalog")).toString();
    c.user = s->value(key("User")).toString();
    c.sqlSecurity = s->value(key("SqlSecurity")).toBool();
    return c;
}

void rememberConnection(const StoreConnection &connection)
{
    const auto s = settings();
    s->setValue(key("Server"), connection.server.trimmed());
    s->setValue(key("Catalog"), connection.catalog.trimmed());
    s->setValue(key("User"), connection.user.trimmed());
    s->setValue(key("SqlSecurity"), connection.sqlSecurity);
}

QString lastLocation(const StoreConnection &connection)
{
    const auto s = settings();
    if (s->value(key("LastLocationStore")).toString() != storeIdentity(connection))
        return QString();
    return s->value(key("LastLocation")).toString();
}

void rememberLocation(const StoreConnection &connection, const QString &path)
{
    const auto s = settings();
    s->setValue(key("LastLocationStore"), storeIdentity(connection));
    s->setValue(key("LastLocation"), path);
}

bool developerView() { return settings()->value(key("DeveloperView"), false).toBool(); }

void setDeveloperView(bool on) { settings()->setValue(key("DeveloperView"), on); }

} // namespace HostSettings
