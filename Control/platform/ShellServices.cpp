#include "ShellServices.h"

#include "ErrorReport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace dwfm {

QString GetTempDirectory()
{
    QString path = QDir::toNativeSeparators(QDir::tempPath());
    if (!path.endsWith(QDir::separator()))
        path += QDir::separator();
    return path;
}

QString NewTempFilePath(const QString &folder)
{
    const QString dir = folder.isEmpty() ? GetTempDirectory() : folder;
    QTemporaryFile file(QDir(dir).filePath(QStringLiteral("dwXXXXXX.tmp")));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    const QString path = QDir::toNativeSeparators(file.fileName());
    file.close();
    return path;
}

void DeleteFileIfExists(const QString &path)
{
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (info.exists() && info.isFile() && !info.isHidden())
        QFile::remove(path);
}

void SetReadOnly(const QString &path)
{
    if (QFileInfo(path).isFile())
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther);
}

void ClearReadOnly(const QString &path)
{
    if (QFileInfo(path).isFile())
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner | QFile::WriteUser);
}

void DeleteFolderIfEmpty(QString &path)
{
    path = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    const QDir folder(path);
    if (folder.dirName().toLower() == QLatin1String("temp"))
        return;
    if (QFileInfo(folder.absolutePath()) == QFileInfo(QDir::tempPath()))
        return;
    if (!folder.exists() || !folder.isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        return;
    QDir().rmdir(folder.absolutePath());
}

QString GetSpecialFolder(qint32 folderType)
{
    try {
        QStandardPaths::StandardLocation location;
        switch (folderType) {
        case 0:
        case 16: location = QStandardPaths::DesktopLocation; break;
        case 5: location = QStandardPaths::DocumentsLocation; break;
        case 13: location = QStandardPaths::MusicLocation; break;
        case 14: location = QStandardPaths::MoviesLocation; break;
        case 26:
        case 28: location = QStandardPaths::AppDataLocation; break;
        case 39: location = QStandardPaths::PicturesLocation; break;
        default:
            ShowCriticalMessage(QStringLiteral("Folder type %1 wordt niet ondersteund dor SHGetFolderPath!").arg(folderType));
            return QString();
        }
        const QString path = QStandardPaths::writableLocation(location);
        if (path.isEmpty() || !QDir().mkpath(path)) {
            ShowCriticalMessage(
                QStringLiteral("Folder type %1 bestaat niet en kan ook niet worden aangemaakt!").arg(folderType));
            return QString();
        }
        return QDir::toNativeSeparators(path);
    } catch (const std::exception &error) {
        ShowError(QString(), error);
        return QString();
    }
}

} // namespace dwfm
