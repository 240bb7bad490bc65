#include "CheckOutCommands.h"

#include "frmCheckInProject.h"
#include "frmCheckOutForm.h"
#include "ProjectVersions.h"
#include "list/FileListModel.h"
#include "platform/ErrorReport.h"
#include "platform/ErrorTrap.h"
#include "platform/Prompts.h"
#include "platform/ShellServices.h"
#include "platform/TextHelpers.h"

#include <QItemSelectionModel>
#include <QTreeView>

#include <memory>

namespace dwfm {

namespace {
// Bit of a row's tag: the row is the current user's.
constexpr qint32 kTagOwnRow = 2;
} // namespace

CheckOutCommands::CheckOutCommands(Context context, QObject *parent)
    : QObject(parent), m_context(std::move(context))
{
}

CheckOutCommands::~CheckOutCommands() { CleanUpFinishedProcesses(m_viewCopies); }

CheckOutCommands::Selection CheckOutCommands::selectedRows() const
{
    Selection selection;
    const QItemSelectionModel *selected = m_context.listView ? m_context.listView->selectionModel() : nullptr;
    if (!selected || !m_context.listModel)
        return selection;
    for (int row = 0; row < m_context.listModel->rowCount(); ++row) {
        if (!selected->isRowSelected(row, QModelIndex()))
            continue;
        const FileListRow &item = m_context.listModel->row(row);
        selection.names << item.text;
        selection.keys << item.key;
        selection.tags << item.tag;
    }
    return selection;
}

int CheckOutCommands::selectedRow() const
{
    const QItemSelectionModel *selected = m_context.listView ? m_context.listView->selectionModel() : nullptr;
    if (!selected || !m_context.listModel)
        return -1;
    const QModelIndex current = selected->currentIndex();
    if (current.isValid() && selected->isRowSelected(current.row(), QModelIndex()))
        return current.row();
    for (int row = 0; row < m_context.listModel->rowCount(); ++row) {
        if (selected->isRowSelected(row, QModelIndex()))
            return row;
    }
    return -1;
}

bool CheckOutCommands::treeNodeSelected() const
{
    return m_context.treeNodeSelected && m_context.treeNodeSelected();
}

void CheckOutCommands::refreshListView()
{
    if (m_context.refreshListView)
        m_context.refreshListView();
}

template <typename Dialog>
std::unique_ptr<Dialog> CheckOutCommands::loadWorkDialog(QPointer<Dialog> &slot, const Selection &selection)
{
    // The dialog lives only for one command. It is owned by the command rather than by
    // `slot`, so a host that starts another command from its event handler cannot pull
    // it away while it works.
    std::unique_ptr<Dialog> dialog;
    SkipOnError([&] {
        dialog = std::make_unique<Dialog>(m_context.owner);
        slot = dialog.get();
        dialog->Form_Load();
    });
    if (dialog) {
        SkipOnError([&] { dialog->ItemCount = selection.count(); });
        SkipOnError([&] { dialog->SetData(selection.names, selection.keys); });
    }
    return dialog;
}

void CheckOutCommands::BewerkenProject(bool bOpenAfterCheckOut)
{
    // Every step goes on past a failing one, so the list is refreshed and the dialog
    // unloaded even when the work went wrong.
    bool nodeSelected = false;
    SkipOnError([&] { nodeSelected = treeNodeSelected(); });
    if (!nodeSelected)
        return;
    Selection selection;
    SkipOnError([&] { selection = selectedRows(); });

    std::unique_ptr<frmCheckOutForm> dialog = loadWorkDialog(fCheckOut, selection);
    if (dialog) {
        connect(dialog.get(), &frmCheckOutForm::FileCheckOut, this, &CheckOutCommands::fCheckOut_FileCheckOut);
        connect(dialog.get(), &frmCheckOutForm::FileOpen, this, &CheckOutCommands::fCheckOut_FileOpen);
        SkipOnError([&] { dialog->OpenAfterCheckOut = bOpenAfterCheckOut; });
        SkipOnError([&] { dialog->AutoCheckOut(); });
    }
    // Whether or not the work ran, the list shows the store's state afterwards.
    SkipOnError([&] { refreshListView(); });
    dialog.reset();
}

void CheckOutCommands::TerugzettenProject()
{
    bool nodeSelected = false;
    SkipOnError([&] { nodeSelected = treeNodeSelected(); });
    if (nodeSelected) {
        Selection selection;
        SkipOnError([&] { selection = selectedRows(); });
        std::unique_ptr<frmCheckInProject> dialog = loadWorkDialog(fCheckIn, selection);
        if (dialog) {
            connect(dialog.get(), &frmCheckInProject::FileCheckIn, this, &CheckOutCommands::fCheckIn_FileCheckIn);
            SkipOnError([&] { dialog->AutoCheckIn(); });
        }
        SkipOnError([&] { refreshListView(); });
        dialog.reset();
    }
    // Also without a location the list is refilled, so it never shows stale check-outs.
    SkipOnError([&] { refreshListView(); });
}

void CheckOutCommands::BekijkenProject()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIBekijkenProject"), [&] {
        if (!treeNodeSelected())
            return;
        const Selection selection = selectedRows();
        for (int i = 0; i < selection.count(); ++i)
            openViewCopy(FileIdOfKey(selection.keys[i]));
    });
}

void CheckOutCommands::viewStoredFile(qint32 lProjectID)
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIBekijkenProject"), [&] { openViewCopy(lProjectID); });
}

void CheckOutCommands::viewStoredVersion(qint32 lProjectID, qint32 lVersion)
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIBekijkenProject"), [&] { openViewCopy(lProjectID, lVersion); });
}

void CheckOutCommands::openViewCopy(qint32 id, qint32 version)
{
    QString path;
    bool copied = false;
    {
        const FileStoreSessionPtr session = RequireSession();
        if (version == 0) {
            copied = session->Projects().GetViewCopy(id, path);
        } else if (auto *versions = dynamic_cast<ProjectVersions *>(&session->Projects())) {
            copied = versions->GetVersionViewCopy(id, version, path);
        }
    }
    if (!copied) {
        prompts().message(QStringLiteral("Bekijken bestand niet mogelijk!"), ApplicationTitle(), Prompts::Icon::None,
                          Prompts::Buttons::Ok, Prompts::Answer::Ok);
        return;
    }
    SetReadOnly(path);
    m_viewCopies.push_back(NewProcessRecord(0, path));
    emit FileOpen(path, id);
}

void CheckOutCommands::lvListView_DblClick()
{
    TrapErrorsVoid(QStringLiteral("DwProjectFileManUIlvListView_DblClick"), [&] {
        const int row = selectedRow();
        if (row < 0)
            return;
        if (m_context.noFileOpenOnDoubleClick && *m_context.noFileOpenOnDoubleClick) {
            BekijkenProject();
            return;
        }
        const FileListRow &item = m_context.listModel->row(row);
        if (m_context.readOnly && *m_context.readOnly && !(item.tag & kTagOwnRow))
            return;
        const qint32 id = FileIdOfKey(item.key);
        QString path;
        {
            const FileStoreSessionPtr session = RequireSession();
            ProjectsService &projects = session->Projects();
            if (!projects.CheckOutProject(id, QString()))
                return;
            path = AddBackslash(projects.GetProjectLocalFolder(id)) + projects.GetProjectFileName(id);
        }
        emit FileOpen(path, id);
        refreshListView();
    });
}

void CheckOutCommands::fCheckOut_FileCheckOut(const QString &strFilePath, qint32 lProjectID)
{
    emit FileCheckOut(strFilePath, lProjectID);
}

void CheckOutCommands::fCheckOut_FileOpen(const QString &strFilePath, qint32 lProjectID)
{
    emit FileOpen(strFilePath, lProjectID);
}

void CheckOutCommands::fCheckIn_FileCheckIn(qint32 lProjectID) { emit FileCheckIn(lProjectID); }

} // namespace dwfm
