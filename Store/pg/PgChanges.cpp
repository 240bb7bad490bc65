#include "pg/PgChanges.h"

namespace dwfm::store::pg {

PgChanges::PgChanges(PgConnectionPtr connection, QObject *parent)
    : SessionChanges(parent), m_connection(std::move(connection)), m_notifier(m_connection->socket(), QSocketNotifier::Read)
{
    m_connection->exec("LISTEN dw_changes");
    connect(&m_notifier, &QSocketNotifier::activated, this, [this] { take(); });
    m_connection->setNotificationHook(
        [this] { QMetaObject::invokeMethod(this, [this] { take(); }, Qt::QueuedConnection); });
}

PgChanges::~PgChanges()
{
    m_connection->setNotificationHook({});
}

QList<qint32> PgChanges::take()
{
    QList<qint32> changed;
    for (const QString &payload : m_connection->takeNotifications(Channel)) {
        bool ok = false;
        const qint32 id = payload.toInt(&ok);
        if (ok && !changed.contains(id))
            changed << id;
    }
    if (!changed.isEmpty())
        emit LocationsChanged(changed);
    return changed;
}

} // namespace dwfm::store::pg
