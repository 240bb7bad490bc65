#include "FileAdding.h"

#include "frmAddGeneralFiles.h"

#include "core/ControlState.h"
#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "DwError.h"
#include "platform/ErrorTrap.h"
#include "platform/Prompts.h"
#include "platform/ShellServices.h"
#include "platform/TextHelpers.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>

#include <memory>

namespace dwfm {

namespace {
constexpr qint32 kPathNotFound = 76;
const QString kNoTarget = QStringLiteral("Geen doel folder geselecteerd!");

QString cannotCreate(const QString &fullPath)
{
    return QStringLiteral("Het bestand '") + fullPath + QStringLiteral("' kan niet worden aangemaakt!");
}
} // namespace

FileAdding::FileAdding(FileAddingContext context, QObject *parent) : QObject(parent), m_ctx(std::move(context)) {}

QString FileAdding::EmptyFileName(const QString &strFileName, const QString &strExtentionName)
{
    if (strExtentionName.isEmpty())
        return strFileName;
    const qsizetype point = strFileName.lastIndexOf(QLatin1Char('.'));
    if (point >= 0 && strFileName.mid(point + 1) == strExtentionName)
        return strFileName;
    return strFileName + QLatin1Char('.') + strExtentionName;
}

bool FileAdding::AddFileToCurrentLocation(const QString &strFilePath, bool)
{
    return TrapErrors(QStringLiteral("DwProjectFileManUIAddFileToCurrentLocation"), [&] {
        const std::optional<QString> key = m_ctx.selectedNodeKey();
        if (!key) {
            ShowCriticalMessage(kNoTarget);
            return false;
        }
        const auto dialog = std::make_unique<frmAddGeneralFiles>(m_ctx.owner);
        dialog->setTargetKey(IdOfKey(*key));
        dialog->AddFile(strFilePath, true);
        if (dialog->SaveFailed())
            return false;
        m_ctx.state.LastSavedProjectID = dialog->LastSavedProjectID();
        m_ctx.state.LastSavedFileName = dialog->LastSavedFileName();
        if (m_ctx.refreshListView)
            m_ctx.refreshListView();
        return true;
    });
}

bool FileAdding::CreateEmptyFileInCurrentLocation(const QString &strFileName, const QString &strExtentionName)
{
    QString fullPath;
    try {
        return createEmptyFile(strFileName, strExtentionName, fullPath);
    } catch (const DwError &error) {
        if (error.number() == kPathNotFound)
            ShowCriticalMessage(cannotCreate(fullPath));
        else
            ShowError(QStringLiteral("DwProjectFileManUICreateEmptyFileInCurrentLocatio"), error);
    } catch (const std::exception &error) {
        ShowError(QStringLiteral("DwProjectFileManUICreateEmptyFileInCurrentLocatio"), error);
    }
    return false;
}

bool FileAdding::createEmptyFile(const QString &strFileName, const QString &strExtentionName, QString &fullPath)
{
    const std::optional<QString> key = m_ctx.selectedNodeKey();
    if (!key) {
        ShowCriticalMessage(kNoTarget);
        return false;
    }
    const FileStoreSessionPtr session = RequireSession();
    const qint32 locationID = IdOfKey(*key);
    const QString locationPath = session->Locations().GetLocationPath(locationID);
    const QString fileName = EmptyFileName(strFileName, strExtentionName);
    fullPath = AddBackslash(session->Locations().GetServerRootFolder()) + AddBackslash(locationPath) + fileName;
    // A name that climbs out of the location's folder cannot be a file of it; nothing is
    // written for it.
    if (fileName.contains(QLatin1Char('/')) || fileName.contains(QLatin1Char('\\')) ||
        fileName == QLatin1String("..")) {
        ShowCriticalMessage(cannotCreate(fullPath));
        return false;
    }

    if (QFileInfo::exists(fullPath)) {
        ShowCriticalMessage(QStringLiteral("Bestand '") + fullPath + QStringLiteral("'bestaat al!"));
        return false;
    }
    {
        // A store that keeps its files elsewhere (the server store, in its database) names a
        // folder of this computer where a file is put to be registered; the location's part
        // of it may not exist yet.
        QDir().mkpath(QFileInfo(fullPath).absolutePath());
        QFile file(fullPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            ShowCriticalMessage(cannotCreate(fullPath));
            return false;
        }
        // A plain single-byte text without line end.
        file.write(QByteArrayLiteral("FileManager TempFile"));
        if (!file.flush()) {
            file.close();
            DeleteFileIfExists(fullPath);
            ShowCriticalMessage(cannotCreate(fullPath));
            return false;
        }
    }
    const qint32 id = session->Projects().AddProject(fullPath, locationID, fullPath, false, true);
    m_ctx.state.LastSavedProjectID = id;
    if (id == -1) {
        ShowCriticalMessage(
            QStringLiteral("Het tijdelijke bestand kan niet worden toegevoegd aan de server database!"));
        DeleteFileIfExists(fullPath);
        return false;
    }
    m_ctx.state.LastSavedFileName = fileName;
    if (m_ctx.refreshListView)
        m_ctx.refreshListView();
    return true;
}

void FileAdding::AddFilesToLocation(qint32 lLocationID, const QMimeData *data)
{
    SkipOnError([&] {
        frmAddGeneralFiles dialog(m_ctx.owner);
        dialog.setTargetKey(lLocationID);
        if (data)
            dialog.setAddFileObject(data);
        prompts().execDialog(dialog);
    });
}

} // namespace dwfm
