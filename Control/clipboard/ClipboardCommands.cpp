#include "ClipboardCommands.h"

#include "ClipboardList.h"
#include "PasteProgress.h"

#include "core/Keys.h"
#include "core/SessionAccess.h"
#include "ProjectBatch.h"
#include "list/FileListModel.h"
#include "platform/ErrorReport.h"
#include "platform/ErrorTrap.h"
#include "platform/Prompts.h"
#include "platform/ShellServices.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QWidget>

#include <algorithm>

namespace dwfm {

namespace {
// From this many files on a paste shows its progress and can be stopped.
constexpr std::size_t kProgressFrom = 2;
// A paste through the store's batch copy starts with a small slice, then sizes each next
// slice after the last one's pace to take about kSliceMs.
constexpr std::size_t kFirstSlice = 25;
constexpr std::size_t kLargestSlice = 250;
constexpr double kSliceMs = 500;

void setClipboardText(const QString &text) { QGuiApplication::clipboard()->setText(text); }
} // namespace

ClipboardCommands::ClipboardCommands(ClipboardContext context, QObject *parent)
    : QObject(parent), m_ctx(std::move(context))
{
}

qint32 ClipboardCommands::windowHandle() const
{
    return m_ctx.owner ? qint32(m_ctx.owner->effectiveWinId()) : 0;
}

void ClipboardCommands::SetFilesOnClipBoard(const QString &strMode)
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUISetFilesOnClipBoard"), [&] {
        QStringList keys;
        for (const int row : m_ctx.list.selectedRows())
            keys << m_ctx.list.row(row).key;
        setClipboardText(ClipboardList::writeClipboardText(strMode, m_ctx.list.selectedNodeKey(), keys));
    });
}

void ClipboardCommands::copyCommand()
{
    const std::optional<QString> node = m_ctx.list.selectedNodeKey();
    const int row = m_ctx.list.selectedRow();
    if (!node || row < 0)
        return;
    if (m_ctx.externalFileCopy && *m_ctx.externalFileCopy) {
        qint32 projectID = 0;
        if (SkipOnError([&] { projectID = FileIdOfKey(m_ctx.list.row(row).key); }))
            emit FileCopy(projectID, IdOfKey(*node));
        return;
    }
    SkipOnError([&] { SetFilesOnClipBoard(QLatin1String(ClipboardList::CopyWord)); });
}

void ClipboardCommands::PasteProject()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIPasteProject"), [&] {
        const QString text = QGuiApplication::clipboard()->text();
        const std::optional<ClipboardList::Parsed> parsed = ClipboardList::parseClipboardText(text);
        // Another program's text, or a damaged list, is no list: nothing happens.
        if (!parsed)
            return;
        ProjectenPlakkenKopieren(text.mid(text.indexOf(QLatin1Char('?')) + 1), parsed->move);
    });
}

void ClipboardCommands::ProjectenPlakkenKopieren(const QString &strList, bool bMove)
{
    const std::optional<QString> node = m_ctx.list.selectedNodeKey();
    if (!node) {
        m_ctx.showIdle();
        return;
    }
    const std::optional<std::vector<ClipboardList::Entry>> entries = ClipboardList::parseFileList(strList);
    if (!entries) {
        m_ctx.showIdle();
        return;
    }
    PasteProgress &progress = pasteProgress();
    // Files of a cut whose original the store would not delete: their copies are taken
    // back, so that what the user sees afterwards is no move that half worked.
    QStringList notMoved;
    const bool showProgress = entries->size() >= kProgressFrom;
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIProjectenPlakkenKopieren"), [&] {
        m_ctx.showBusy();
        const QString target = node->left(node->size() - 1).trimmed();
        if (entries->empty())
            return;
        if (showProgress)
            progress.start(int(entries->size()), m_ctx.owner);
        ProjectBatch *batch = nullptr;
        std::size_t slice = kFirstSlice;
        for (std::size_t i = 0; i < entries->size();) {
            const ClipboardList::Entry &entry = (*entries)[i];
            std::size_t next = i + 1;
            if (entry.locationID != target) {
                const FileStoreSessionPtr session = RequireSession();
                if (!batch)
                    batch = dynamic_cast<ProjectBatch *>(&session->Projects());
                if (batch) {
                    // The files bound for this location that follow one another go to the
                    // store in slices, each sized to take about as long as the user may
                    // wait for a stop to take effect.
                    while (next < entries->size() && next - i < slice && (*entries)[next].locationID != target)
                        ++next;
                    QElapsedTimer clock;
                    clock.start();
                    notMoved << pasteSlice(*batch, {entries->begin() + i, entries->begin() + next}, IdOfKey(*node),
                                           bMove);
                    const double perFile = double(std::max<qint64>(clock.elapsed(), 1)) / double(next - i);
                    slice = std::clamp(std::size_t(kSliceMs / perFile), std::size_t(1), kLargestSlice);
                } else {
                    QVariant newID;
                    ProjectsService &projects = session->Projects();
                    // A refused copy leaves its original where it is; the paste goes on.
                    if (projects.CopyProject(entry.projectID, IdOfKey(*node), QString(), newID) && bMove &&
                        !projects.DeleteProject(entry.projectID)) {
                        notMoved << projects.GetProjectFileName(entry.projectID);
                        if (!newID.isNull())
                            projects.DeleteProject(newID.toInt());
                    }
                }
            } else if (!bMove) {
                if (entries->size() > 1) {
                    ShowCriticalMessage(QStringLiteral("Doelbestanden bestaan reeds!"));
                    break;
                }
                CopyAProjectToSameLocation(entry.projectID, entry.locationID.toInt());
            }
            // Stopped between two files or slices: what was pasted stays pasted.
            if (showProgress && !progress.advance(int(next)))
                break;
            i = next;
        }
        m_ctx.refreshListView();
    });
    if (showProgress)
        SkipOnError([&] { progress.finish(); });
    // Every list is pasted once, after a copy as after a cut.
    SkipOnError([&] { setClipboardText(QString()); });
    m_ctx.showIdle();
    if (!notMoved.isEmpty()) {
        ShowCriticalMessage(QStringLiteral("Onderstaande bestanden zijn niet verplaatst, omdat het origineel niet "
                                           "verwijderd kan worden (het is in gebruik of u mag het niet "
                                           "verwijderen):\r\n\r\n") +
                            notMoved.join(QStringLiteral("\r\n")));
    }
}

QStringList ClipboardCommands::pasteSlice(ProjectBatch &batch, const std::vector<ClipboardList::Entry> &slice,
                                          qint32 targetID, bool bMove)
{
    QList<qint32> ids;
    ids.reserve(qsizetype(slice.size()));
    for (const ClipboardList::Entry &entry : slice)
        ids << entry.projectID;
    const QList<qint32> copies = batch.CopyProjects(ids, targetID, QString());
    // A refused copy leaves its original where it is; after a cut only the copied go.
    QList<qint32> copied, copiesOfCopied;
    for (qsizetype i = 0; bMove && i < ids.size() && i < copies.size(); ++i) {
        if (copies[i] != -1) {
            copied << ids[i];
            copiesOfCopied << copies[i];
        }
    }
    if (copied.isEmpty())
        return {};
    const QList<bool> deleted = batch.DeleteProjects(copied);
    QStringList notMoved;
    QList<qint32> takenBack;
    for (qsizetype i = 0; i < copied.size(); ++i) {
        if (i < deleted.size() && deleted[i])
            continue;
        notMoved << RequireSession()->Projects().GetProjectFileName(copied[i]);
        takenBack << copiesOfCopied[i];
    }
    if (!takenBack.isEmpty())
        batch.DeleteProjects(takenBack);
    return notMoved;
}

bool ClipboardCommands::CopyAProjectToSameLocation(qint32 lProjectID, qint32 lLocationID)
{
    bool copied = false;
    QString tempPath;
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUICopyAProjectToSameLocation"), [&] {
        tempPath = NewTempFilePath(GetTempDirectory());
        if (!m_ctx.list.selectedNodeKey() || m_ctx.list.selectedRow() < 0)
            return;
        const QString current = RequireSession()->Projects().GetProjectFileName(lProjectID);
        for (;;) {
            const std::optional<QString> answer =
                prompts().input(QStringLiteral("Doelbestand bestaat al, geef een nieuwe bestandsnaam:"),
                                QStringLiteral("Bestand kopiëren"), current);
            if (!answer || answer->isEmpty())
                return;
            if (answer->toUpper() == current.toUpper()) {
                ShowCriticalMessage(
                    QStringLiteral("Naam van het doelbestand mag niet hetzelfde zijn als het origineel!"));
                continue;
            }
            DeleteFileIfExists(tempPath);
            const FileStoreSessionPtr session = RequireSession();
            if (!session->Projects().GetLocalCopy(windowHandle(), lProjectID, tempPath))
                return;
            if (session->Projects().AddProject(tempPath, lLocationID, *answer, true, true) != -1) {
                copied = true;
                return;
            }
            // The store's reason (a name in use, a character it refuses), then ask again.
            session->Database().ReportLastError();
        }
    });
    SkipOnError([&] { DeleteFileIfExists(tempPath); });
    return copied;
}

} // namespace dwfm
