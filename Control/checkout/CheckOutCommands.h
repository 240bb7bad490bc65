#pragma once

#include "platform/clsProcesses.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>

class QTreeView;
class QWidget;

namespace dwfm {

class FileListModel;
class frmCheckInProject;
class frmCheckOutForm;

// The control's commands that take files into use, give them back and open them: check
// out (with or without opening), check in, view a read-only copy, and the double-click of
// the file list. Each reads the selected rows of the file list, asks the session, and
// raises FileOpen, FileCheckOut and FileCheckIn synchronously, in list order; the control
// passes these on unchanged to its host.
class CheckOutCommands : public QObject {
    Q_OBJECT
public:
    // What the commands need of the control.
    struct Context {
        // Owner of the work dialogs (for their screen and parent window).
        QWidget *owner = nullptr;
        // The file list and its rows; the selection is read from the view.
        QTreeView *listView = nullptr;
        FileListModel *listModel = nullptr;
        // Whether a node of the location tree is selected.
        std::function<bool()> treeNodeSelected;
        // Refills the file list from the store (the control's RefreshListView).
        std::function<void()> refreshListView;
        // The control's fields, read when a command runs.
        const bool *readOnly = nullptr;
        const bool *noFileOpenOnDoubleClick = nullptr;
    };

    // The selected rows of the file list, in display order.
    struct Selection {
        QStringList names;
        QStringList keys;
        QList<qint32> tags;
        int count() const { return int(keys.size()); }
    };

    explicit CheckOutCommands(Context context, QObject *parent = nullptr);
    // Deletes the view copies handed out; their viewers are not known, so they are kept
    // until the control ends.
    ~CheckOutCommands() override;

    // Checks the selected files out through a work dialog that is filled and run without
    // being shown; raises FileOpen per file when bOpenAfterCheckOut, else FileCheckOut.
    // Refreshes the list afterwards. Nothing happens without a selected tree node.
    void BewerkenProject(bool bOpenAfterCheckOut);
    // Checks the selected files in through a work dialog run without being shown; raises
    // FileCheckIn per file. The list is refreshed in every case.
    void TerugzettenProject();
    // Fetches a read-only copy of each selected file and raises FileOpen for it; a file
    // the store cannot copy gets "Bekijken bestand niet mogelijk!".
    void BekijkenProject();
    // A read-only copy of one stored file, handed to the host through FileOpen as
    // BekijkenProject does; the preview's followed file links come here. Reports a
    // failure as "DwProjectFileManUIBekijkenProject".
    void viewStoredFile(qint32 lProjectID);
    // The same for an earlier version of a file, from a store that keeps versions (the
    // properties dialog's "Bekijken").
    void viewStoredVersion(qint32 lProjectID, qint32 lVersion);
    // The double-click of the file list: view (NoFileOpenOnDoubleClick), or check the
    // selected file out and raise FileOpen with its working copy (with ReadOnly only the
    // user's own file).
    void lvListView_DblClick();

    Selection selectedRows() const;
    // The row the single-file commands act on: the current row when it is selected, else
    // the first selected row; -1 when none is selected.
    int selectedRow() const;
    // The read-only copies handed out by BekijkenProject, for their clean-up.
    const ProcessList &viewCopies() const { return m_viewCopies; }

signals:
    void FileOpen(const QString &strFilePath, qint32 lProjectID);
    void FileCheckOut(const QString &strFilePath, qint32 lProjectID);
    void FileCheckIn(qint32 lProjectID);

private:
    // A read-only view copy of one stored file (of its current content, or of `version`),
    // kept and opened; a refusal is told once.
    void openViewCopy(qint32 id, qint32 version = 0);
    void fCheckOut_FileCheckOut(const QString &strFilePath, qint32 lProjectID);
    void fCheckOut_FileOpen(const QString &strFilePath, qint32 lProjectID);
    void fCheckIn_FileCheckIn(qint32 lProjectID);
    // A new work dialog, loaded and filled with the selection, without being shown.
    template <typename Dialog>
    std::unique_ptr<Dialog> loadWorkDialog(QPointer<Dialog> &slot, const Selection &selection);
    bool treeNodeSelected() const;
    void refreshListView();

    Context m_context;
    // The work dialog of the running command; only alive during that command.
    QPointer<frmCheckOutForm> fCheckOut;
    QPointer<frmCheckInProject> fCheckIn;
    ProcessList m_viewCopies;
};

} // namespace dwfm
