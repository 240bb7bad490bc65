#include "services/StoreUserAndDatabase.h"

#include "SessionRegistry.h"
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
        return m_context->dataSource();
    if (name == QLatin1String("initial catalog"))
        return m_context->catalogue();
    if (name == QLatin1String("user id"))
        return m_context->user().id;
    if (name == QLatin1String("provider"))
        return m_context->providerName();
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
    return guarded(m_context, [&] { return bool(rsRoots = m_context->userRoots()); }, false);
}

} // namespace dwfm::store
