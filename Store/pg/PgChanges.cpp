#include "pg/PgChanges.h"

namespace dwfm::store::pg {

PgChanges::PgChanges(PgConnectionPtr connection, QObject *parent)
    : SessionChanges(parent), m_connection(std::move(connection)), m_notifier(QSocketNotifier::Read)
{
    const auto watch = [this] {
        m_notifier.setEnabled(false);
        m_notifier.setSocket(m_connection->socket());
        m_notifier.setEnabled(true);
    };
    const auto takeLater = [this] { QMetaObject::invokeMethod(this, [this] { take(); }, Qt::QueuedConnection); };
    // Listening first: a connection that broke meanwhile is made again by it (a new socket).
    m_connection->listen(Channel);
    watch();
    connect(&m_notifier, &QSocketNotifier::activated, this, [this] { take(); });
    m_connection->setNotificationHook(takeLater);
    // A connection made again has a new socket, and listens again by itself.
    m_connection->setReconnectHook([watch, takeLater] {
        watch();
        takeLater();
    });
}

PgChanges::~PgChanges()
{
    m_connection->setNotificationHook({});
    m_connection->setReconnectHook({});
}

QList<qint32> PgChanges::take()
{
    QList<qint32> changed;
    const QList<QString> payloads = m_connection->takeNotifications(Channel);
    // A closed link stays readable: it is watched again once the session has connected anew.
    if (m_connection->broken())
        m_notifier.setEnabled(false);
    for (const QString &payload : payloads) {
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
