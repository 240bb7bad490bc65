#include "services/StoreLocations.h"

#include "fs/NameRules.h"
#include "DwError.h"

namespace dwfm::store {

void StoreLocations::requireName(const QString &parentPath, const QString &name)
{
    NameRules::require(name);
    const QString path = parentPath.isEmpty() ? name : parentPath + QLatin1Char('/') + name;
    if (NameRules::byteLength(path) > NameRules::MaxPathBytes) {
        throw DwError(DwError::InputError, QStringLiteral("Het pad van de map wordt te lang: %1 bytes, hoogstens %2.")
                                               .arg(NameRules::byteLength(path))
                                               .arg(NameRules::MaxPathBytes));
    }
}

bool StoreLocations::CreateLocation(const QString &strName, const QString &strDescription, qint32 lParentID,
                                    qint32 &lNewID)
{
    return guarded(
        m_context,
        [&] {
            lNewID = m_engine.createLocation(strName, strDescription, lParentID);
            return true;
        },
        false);
}

bool StoreLocations::DeleteLocation(qint32 lLocationID)
{
    return guarded(m_context, [&] { return m_engine.deleteLocation(lLocationID), true; }, false);
}

bool StoreLocations::RenameLocation(qint32 lLocationID, const QString &strName)
{
    return guarded(m_context, [&] { return m_engine.renameLocation(lLocationID, strName), true; }, false);
}

QString StoreLocations::GetLocationPath(qint32 lLocationID)
{
    return guarded(m_context, [&] { return m_context->locationPath(lLocationID); }, QString());
}

QString StoreLocations::GetServerRootFolder()
{
    return m_context ? m_context->rootFolder() : QString();
}

QString StoreLocations::GetLocationDescription(qint32 lLocationID)
{
    static const RowShape nameOnly{{QStringLiteral("name")}, {ColumnKind::Text}};
    return guarded(
        m_context,
        [&] {
            const RecordsetPtr row = m_context->rows("SELECT name FROM locations WHERE location_id = ?", {lLocationID}, nameOnly);
            return row && !row->isEof() ? row->value(0).toString() : QString();
        },
        QString());
}

qint32 StoreLocations::GetLocationKind(qint32 lLocationID)
{
    return guarded(m_context, [&] { return m_engine.locationKind(lLocationID); }, qint32(0));
}

bool StoreLocations::GetChildLocations(RecordsetPtr &rsChildren, qint32 lLocationID)
{
    rsChildren.reset();
    return guarded(m_context, [&] { return bool(rsChildren = m_engine.childLocations(lLocationID)); }, false);
}

} // namespace dwfm::store
