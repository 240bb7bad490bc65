#pragma once

#include "clipboard/ClipboardList.h"
#include "list/ListSelection.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class QWidget;

namespace dwfm {

class ProjectBatch;

// What cut, copy and paste need of the control.
struct ClipboardContext {
    // Owner of the progress dialog; its window handle goes to the store.
    QWidget *owner = nullptr;
    ListSelection list;
    // The control's ExternalFileCopy field, read when the copy command runs.
    const bool *externalFileCopy = nullptr;
    std::function<void()> refreshListView;
    std::function<void()> showBusy;
    std::function<void()> showIdle;
};

// Cut, copy and paste of files between locations through the system clipboard. Cut and
// copy only put a list of the selected files on the clipboard (see ClipboardList); a paste
// into another location copies them there through the store and, after a cut, deletes the
// originals. A single copied file pasted into its own location is duplicated under a name
// the user types. Every list is pasted once: the paste empties the clipboard. A cut file
// whose original the store keeps (in use, not the user's to delete) is not copied either,
// and the user is told which.
class ClipboardCommands : public QObject {
    Q_OBJECT
public:
    explicit ClipboardCommands(ClipboardContext context, QObject *parent = nullptr);

    // Puts the list of the selected rows on the clipboard, with "DwF_Copy" or "DwF_Cut".
    void SetFilesOnClipBoard(const QString &strMode);
    // The copy command: FileCopy to the host when ExternalFileCopy is set, else the list.
    // Only with a selected node and a selected row.
    void copyCommand();
    // Reads the clipboard and pastes a cut or copy list into the selected location; any
    // other text does nothing.
    void PasteProject();
    // Pastes the files of a list (the part after "?") into the selected location; with
    // bMove the originals of files copied to another location are deleted.
    void ProjectenPlakkenKopieren(const QString &strList, bool bMove);
    // Duplicates a file inside its location under a name the user types; True when a
    // copy was made.
    bool CopyAProjectToSameLocation(qint32 lProjectID, qint32 lLocationID);

signals:
    void FileCopy(qint32 lSourceProjectID, qint32 lSourceLocationID);

private:
    qint32 windowHandle() const;
    // Copies the slice's files into the location `targetID` with one call of the store;
    // with bMove deletes the originals of those that were copied. A copy whose original
    // stays is deleted again; the answer names those files.
    QStringList pasteSlice(ProjectBatch &batch, const std::vector<ClipboardList::Entry> &slice, qint32 targetID, bool bMove);

    ClipboardContext m_ctx;
};

} // namespace dwfm
