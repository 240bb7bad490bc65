#include "ServerFolder.h"

#include "DwError.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store::ServerFolder {

namespace {
QString samePath(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}
} // namespace

void requireNoStrayFile(const QString &target)
{
    if (QFileInfo::exists(target))
        throw DwError(DwError::FileAlreadyExists,
                      QStringLiteral("In de servermap staat al een bestand '%1' dat de store niet kent.").arg(target));
}

void requireInPlace(const QString &source, const QString &target)
{
    if (samePath(source) != samePath(target))
        throw DwError(DwError::InvalidProcedureCall,
                      QStringLiteral("Het bestand '%1' staat niet in de servermap van de locatie (%2).").arg(source, target));
}

} // namespace dwfm::store::ServerFolder
