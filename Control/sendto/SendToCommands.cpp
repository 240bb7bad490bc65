#include "SendToCommands.h"

#include "MailSender.h"

#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "list/FileListModel.h"
#include "DwError.h"
#include "platform/ErrorTrap.h"
#include "platform/FolderBrowser.h"
#include "platform/Prompts.h"
#include "platform/ShellServices.h"
#include "platform/TextHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTreeView>

namespace dwfm {

namespace {
constexpr qint32 kDocumentsFolder = 5;
} // namespace

SendToCommands::SendToCommands(SendToContext context, QObject *parent) : QObject(parent), m_ctx(std::move(context))
{
}

SendToCommands::~SendToCommands() { CleanUpFinishedProcesses(m_mailCopies); }

QList<SendToCommands::Row> SendToCommands::selectedRows() const
{
    QList<Row> rows;
    const QItemSelectionModel *selected = m_ctx.listView ? m_ctx.listView->selectionModel() : nullptr;
    if (!selected || !m_ctx.listModel)
        return rows;
    for (int row = 0; row < m_ctx.listModel->rowCount(); ++row) {
        if (selected->isRowSelected(row, QModelIndex()))
            rows.append({FileIdOfKey(m_ctx.listModel->row(row).key), m_ctx.listModel->row(row).text});
    }
    return rows;
}

bool SendToCommands::IsRemovableMountPoint(const QString &rootPath)
{
    // udisks mounts removable media under /media/<user>/ or /run/media/<user>/.
    for (const char *base : {"/media/", "/run/media/"}) {
        if (rootPath.startsWith(QLatin1String(base)) && rootPath.size() > qsizetype(qstrlen(base)))
            return true;
    }
    return false;
}

QString SendToCommands::RemovableMediumRoot()
{
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !volume.isReadOnly() && IsRemovableMountPoint(volume.rootPath()))
            return volume.rootPath();
    }
    return QString();
}

bool SendToCommands::copyTo(const QString &folder)
{
    if (!m_ctx.treeNodeSelected || !m_ctx.treeNodeSelected())
        return false;
    QList<qint32> ids;
    QStringList targets;
    for (const Row &row : selectedRows()) {
        ids << row.id;
        targets << AddBackslash(QDir::toNativeSeparators(folder)) + row.name;
    }
    if (ids.isEmpty())
        return false;
    return RequireSession()->Projects().CopyProjectsToFolders(0, ids, targets);
}

void SendToCommands::showOutcome(bool copied, const QString &copiedText, const QString &nothingText)
{
    prompts().message(copied ? copiedText : nothingText, QString(), Prompts::Icon::Information, Prompts::Buttons::Ok,
                      Prompts::Answer::Ok);
}

void SendToCommands::StuurNaarA()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIStuurNaarA"), [&] {
        const QString medium = m_findMedium();
        const bool copied = !medium.isEmpty() && copyTo(medium);
        showOutcome(copied, QStringLiteral("De geselecteerde bestanden zijn gekopieerd naar 'A:\\'!"),
                    QStringLiteral("Er zijn geen bestanden gekopieerd naar 'A:\\!"));
    });
}

void SendToCommands::StuurNaarMijnDocumenten()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIStuurNaarMijnDocumenten"), [&] {
        const bool copied = copyTo(GetSpecialFolder(kDocumentsFolder));
        showOutcome(copied, QStringLiteral("De geselecteerde bestanden zijn gekopieerd naar 'Mijn Documenten'!"),
                    QStringLiteral("Er zijn geen bestanden gekopieerd naar 'Mijn Documenten!"));
    });
}

void SendToCommands::StuurNaarKiesEenFolder()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIStuurNaarKiesEenFolder"), [&] {
        QString folder;
        if (!BrowseForFolder(m_ctx.owner, folder, QStringLiteral("Selecteer een doel folder:")))
            return;
        const bool copied = copyTo(folder);
        showOutcome(copied,
                    QStringLiteral("De geselecteerde bestanden zijn gekopieerd naar '") + folder + QStringLiteral("'!"),
                    QStringLiteral("Er zijn geen bestanden gekopieerd naar '") + folder + QStringLiteral("!"));
    });
}

QString SendToCommands::attachmentOf(const QString &viewCopy, const QString &name)
{
    // The attachment carries the file's own name. A copy named otherwise moves into a
    // folder of its own in the temporary folder, and the folder it came in goes.
    if (QFileInfo(viewCopy).fileName() == name)
        return viewCopy;
    QTemporaryDir folder(GetTempDirectory() + QStringLiteral("dwmail-XXXXXX"));
    if (!folder.isValid())
        throw DwError(75, QStringLiteral("Geen tijdelijke map voor de e-mail."));
    folder.setAutoRemove(false);
    const QString named = QDir(folder.path()).filePath(name);
    if (!QFile::rename(viewCopy, named)) {
        QDir().rmdir(folder.path());
        throw DwError(75, QStringLiteral("De kopie van '%1' kan niet worden klaargezet.").arg(name));
    }
    QString cameIn = viewCopy;
    DeleteFolderIfEmpty(cameIn);
    return named;
}

void SendToCommands::StuurNaarEmail()
{
    // The copies of this message; they join the kept ones once the mail program has them.
    ProcessList copies;
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIStuurNaarEmail"), [&] {
        ProjectsService &projects = RequireSession()->Projects();
        QStringList attachments;
        for (const Row &row : selectedRows()) {
            QString viewCopy;
            if (!projects.GetViewCopy(row.id, viewCopy))
                throw DwError(53, QStringLiteral("Geen kopie van '%1' voor de e-mail.").arg(row.name));
            copies.push_back(NewProcessRecord(0, viewCopy));
            attachments << attachmentOf(viewCopy, row.name);
            copies.back()->setFileName(attachments.back());
        }
        if (attachments.isEmpty())
            return;
        mailSender().compose(attachments);
        for (const auto &record : copies)
            m_mailCopies.push_back(record);
        copies.clear();
    });
    // A message that never reached the mail program leaves no copies behind.
    CleanUpFinishedProcesses(copies);
}

} // namespace dwfm
