#include "SessionContext.h"

#include "StoreFolders.h"
#include "fs/FileOps.h"
#include "platform/DwError.h"

#include <QSysInfo>

namespace dwfm::store {

SessionContext::SessionContext(QString catalogue, QString rootFolder, UserInfo user)
    : m_catalogue(std::move(catalogue)),
      m_rootFolder(std::move(rootFolder)),
      m_user(std::move(user)),
      m_computerName(QSysInfo::machineHostName())
{
}

QString SessionContext::workingRoot() const
{
    if (!m_user.workingRoot.isEmpty())
        return m_user.workingRoot;
    return StoreFolders::defaultWorkingRoot(m_catalogue, m_user.id);
}

void SessionContext::setLastError(qint32 number, const QString &text)
{
    m_lastErrorNumber = number;
    m_lastError = text;
}

void SessionContext::recordError(const std::exception &e)
{
    if (const auto *dw = dynamic_cast<const DwError *>(&e))
        setLastError(dw->number(), dw->description());
    else
        setLastError(DwError::DatabaseError, QString::fromLocal8Bit(e.what()));
}

QString SessionContext::locationFolder(qint32 id) const
{
    return FileOps::join(m_rootFolder, locationPath(id));
}

QString SessionContext::serverFile(const ProjectRow &row) const
{
    return FileOps::join(locationFolder(row.locationId), row.fileName);
}

} // namespace dwfm::store
