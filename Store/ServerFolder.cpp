#include "ServerFolder.h"

#include "fs/FileOps.h"
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

void requireNoStrayFile(const AnchoredPath &target)
{
    if (FileOps::kindOf(target) != FileOps::Kind::Missing)
        throw DwError(DwError::FileAlreadyExists,
                      QStringLiteral("In de servermap staat al een bestand '%1' dat de store niet kent.").arg(target.path()));
}

void requireInPlace(const QString &source, const AnchoredPath &target)
{
    FileOps::requireRegular(target, true);
    if (samePath(source) != samePath(target.path()))
        throw DwError(DwError::InvalidProcedureCall,
                      QStringLiteral("Het bestand '%1' staat niet in de servermap van de locatie (%2).").arg(source, target.path()));
}

} // namespace dwfm::store::ServerFolder
