#include "services/StoreUserAndDatabase.h"

#include "SessionRegistry.h"
#include "db/SqliteRecordset.h"
#include "fs/NameRules.h"
#include "search/ShownFiles.h"
#include "DwError.h"

namespace dwfm::store {

namespace {
const QString NotConnected = QStringLiteral("De sessie is niet verbonden met een store.");
}

QVariant StoreDatabase::ConnectionProperty(const QString &strName)
{
    if (!m_context)
        throw DwError(DwError::ObjectNotSet, NotConnected);
    const QString name = strName.trimmed().toLower();
    if (name == QLatin1String("data source"))
        return m_context->folder();
    if (name == QLatin1String("initial catalog"))
        return m_context->catalogue();
    if (name == QLatin1String("user id"))
        return m_context->user().id;
    if (name == QLatin1String("provider"))
        return QStringLiteral("DwFileStore.SQLite");
    throw DwError(DwError::ItemNotFound, QStringLiteral("De verbinding kent de eigenschap '%1' niet.").arg(strName));
}

QString StoreDatabase::DefaultDatabase()
{
    return m_context ? m_context->catalogue() : QString();
}

QString StoreDatabase::LastError()
{
    return m_context ? m_context->lastError() : m_connectError;
}

qint32 StoreDatabase::LastErrorNumber()
{
    return m_context ? m_context->lastErrorNumber() : m_connectNumber;
}

void StoreDatabase::ReportLastError()
{
    const QString text = LastError();
    if (!text.isEmpty())
        SessionRegistry::reportLastError(text);
}

QString StoreCurrentUser::CurrentUserID()
{
    return m_context ? m_context->user().id : QString();
}

QString StoreCurrentUser::CurrentUserName()
{
    return m_context ? m_context->user().name : QString();
}

bool StoreCurrentUser::IsAdministrator()
{
    return m_context && m_context->user().admin;
}

bool StoreCurrentUser::GetRoots(RecordsetPtr &rsRoots)
{
    rsRoots.reset();
    return guarded(m_context, 
        [&] {
            // Own roots when the user has any, else every top location: the locations a
            // search looks below too.
            static const QByteArray sql = (ShownFiles::rootsSql(QLatin1Char('?')) + QStringLiteral(" ORDER BY l.name")).toUtf8();
            Statement q(m_context->db(), sql.constData());
            q.bind(1, NameRules::key(m_context->user().id)).bind(2, qint64(0));
            rsRoots = collectRows(q, RowShapes::roots().fields, RowShapes::roots().kinds);
            return bool(rsRoots);
        },
        false);
}

} // namespace dwfm::store
