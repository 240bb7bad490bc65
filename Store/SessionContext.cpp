#include "SessionContext.h"

#include "StoreFolders.h"
#include "fs/FileOps.h"
#include "DwError.h"

#include <QDir>
#include <QStringList>
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

QString SessionContext::workingFolder(qint32 locationId) const
{
    return FileOps::join(workingRoot(), locationPath(locationId));
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

const char *const SessionContext::LocationPathSql = R"SQL(
    WITH RECURSIVE up (location_id, parent_id, name, depth) AS (
        SELECT location_id, parent_id, name, 0 FROM locations WHERE location_id = ?
        UNION ALL
        SELECT l.location_id, l.parent_id, l.name, up.depth + 1
          FROM locations l JOIN up ON l.location_id = up.parent_id
         WHERE up.depth < 100000)
    SELECT name, parent_id FROM up ORDER BY depth DESC)SQL";

QString SessionContext::joinLocationPath(qint32 id, const QStringList &parts, qint64 topParent)
{
    if (parts.isEmpty())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Locatie %1 bestaat niet.").arg(id));
    // Every part or none: a cut-off path would name a folder outside the location's own.
    if (topParent != 0)
        throw DwError(DwError::DatabaseError, QStringLiteral("Het pad van locatie %1 is onvolledig.").arg(id));
    return parts.join(QLatin1Char('/'));
}

QString SessionContext::locationFolder(qint32 id) const
{
    return FileOps::join(m_rootFolder, locationPath(id));
}

QString SessionContext::serverFile(const ProjectRow &row) const
{
    return FileOps::join(locationFolder(row.locationId), row.fileName);
}

AnchoredPath SessionContext::inStore(const QString &path) const
{
    return AnchoredPath::below(anchorFolder(), path);
}

AnchoredPath SessionContext::workingFolderPath(const QString &folder) const
{
    const QString root = QDir::cleanPath(workingRoot());
    const QString clean = QDir::cleanPath(folder);
    if (clean == root || clean.startsWith(root + QLatin1Char('/')))
        return AnchoredPath::below(root, clean);
    return AnchoredPath::chosen(clean);
}

} // namespace dwfm::store
