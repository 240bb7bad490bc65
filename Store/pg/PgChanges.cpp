#include "pg/PgChanges.h"

#include <algorithm>

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
    m_connection->listen(TextChannel);
    watch();
    connect(&m_notifier, &QSocketNotifier::activated, this, [this] { take(); });
    m_connection->setNotificationHook(takeLater);
    // A connection made again has a new socket, and listens again by itself.
    m_connection->setReconnectHook([watch, takeLater] {
        watch();
        takeLater();
    });
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &PgChanges::retry);
}

namespace {
constexpr int FirstPauseMs = 500;
constexpr int LongestPauseMs = 30000;
// While libpq is connecting, how soon its next step is taken.
constexpr int StepMs = 20;
} // namespace

void PgChanges::retry()
{
    switch (m_connection->reviveWithoutWaiting()) {
    case PgConnection::Revival::Back:
        m_pauseMs = 0; // listening again: the reconnect hook watches the new socket
        break;
    case PgConnection::Revival::Connecting:
        m_retry.start(StepMs);
        break;
    case PgConnection::Revival::Failed:
        m_pauseMs = std::min(m_pauseMs * 2, LongestPauseMs);
        m_retry.start(m_pauseMs);
        break;
    }
}

PgChanges::~PgChanges()
{
    m_connection->setNotificationHook({});
    m_connection->setReconnectHook({});
}

QList<qint32> PgChanges::take()
{
    QList<qint32> changed;
    const QList<std::pair<QByteArray, QString>> arrived = m_connection->takeNotifications();
    // A closed link stays readable: it is watched again once the connection is made anew, by
    // the timer or by the session's next call.
    if (m_connection->broken()) {
        m_notifier.setEnabled(false);
        if (!m_retry.isActive()) {
            m_pauseMs = FirstPauseMs;
            m_retry.start(m_pauseMs);
        }
    }
    bool textStored = false;
    for (const auto &[channel, payload] : arrived) {
        textStored = textStored || channel == TextChannel;
        bool ok = false;
        const qint32 id = payload.toInt(&ok);
        if (channel == Channel && ok && !changed.contains(id))
            changed << id;
    }
    if (!changed.isEmpty())
        emit LocationsChanged(changed);
    if (textStored)
        emit SearchTextChanged();
    return changed;
}

} // namespace dwfm::store::pg
