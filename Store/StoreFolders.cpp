#include "StoreFolders.h"

#include "fs/FileOps.h"

#include <QDir>
#include <QStandardPaths>

namespace dwfm::store::StoreFolders {

QString defaultCatalogue()
{
    return QStringLiteral("DwStore");
}

QString defaultStoreFolder()
{
    const QString env = qEnvironmentVariable("DW_STORE_DIR");
    if (!env.isEmpty())
        return QDir::cleanPath(env);
    return FileOps::join(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation),
                         QStringLiteral("DwFileStore"));
}

QString databasePath(const QString &folder, const QString &catalogue)
{
    return FileOps::join(folder, catalogue + QStringLiteral(".dwstore"));
}

QString rootFolder(const QString &folder, const QString &catalogue)
{
    return FileOps::join(folder, catalogue);
}

QString defaultWorkingRoot(const QString &catalogue, const QString &userId)
{
    return QDir::homePath() + QStringLiteral("/DwWerkmap/") + catalogue + QLatin1Char('/') + userId;
}

QString osAccount()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    if (name.isEmpty())
        name = QDir::home().dirName();
    return name;
}

} // namespace dwfm::store::StoreFolders
