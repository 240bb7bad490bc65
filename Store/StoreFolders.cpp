#include "StoreFolders.h"

#include "fs/FileOps.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

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

QString searchDatabasePath(const QString &folder, const QString &catalogue)
{
    return FileOps::join(folder, catalogue + QStringLiteral(".dwsearch"));
}

QStringList catalogues(const QString &folder)
{
    const QString suffix = QStringLiteral(".dwstore");
    QStringList names;
    for (const QString &file : QDir(folder).entryList({QLatin1Char('*') + suffix}, QDir::Files, QDir::Name))
        names << file.chopped(suffix.size());
    return names;
}

QString rootFolder(const QString &folder, const QString &catalogue)
{
    return FileOps::join(folder, catalogue);
}

QString defaultWorkingRoot(const QString &catalogue, const QString &userId)
{
    return QDir::homePath() + QStringLiteral("/DwWerkmap/") + catalogue + QLatin1Char('/') + userId;
}

QString serverDropFolder(const QString &server, const QString &catalogue)
{
    QString name = server;
    name.replace(QLatin1Char(':'), QLatin1Char('_')).replace(QLatin1Char('/'), QLatin1Char('_'));
    return FileOps::join(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation),
                         QStringLiteral("DwFileStore/%1/%2").arg(name, catalogue));
}

QString stagingFolder(const QString &folder, const QString &catalogue)
{
    return FileOps::join(folder, QLatin1Char('.') + catalogue + QStringLiteral(".staging"));
}

QString contentFolder(const QString &folder, const QString &catalogue)
{
    return FileOps::join(folder, QLatin1Char('.') + catalogue + QStringLiteral(".versions"));
}

QString osAccount()
{
#ifdef Q_OS_UNIX
    // The account of the process's real user, as the system knows it: environment
    // variables are the caller's to set and prove nothing.
    if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QString();
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

} // namespace dwfm::store::StoreFolders
