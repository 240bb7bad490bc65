#pragma once

#include "platform/clsProcesses.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>

class QTreeView;
class QWidget;

namespace dwfm {

class FileListModel;

// What sending needs of the control: the file list, whether a tree node is selected and
// the window that owns the folder dialog.
struct SendToContext {
    QWidget *owner = nullptr;
    QTreeView *listView = nullptr;
    FileListModel *listModel = nullptr;
    std::function<bool()> treeNodeSelected;
};

// "&Stuur naar": copies of the selected files to a removable medium, the documents
// folder or a chosen folder (the store makes the copies), or attached to a new e-mail.
class SendToCommands : public QObject {
    Q_OBJECT
public:
    explicit SendToCommands(SendToContext context, QObject *parent = nullptr);
    // The copies attached to e-mails are kept while the control lives: the mail program
    // reads them when the user sends, which may be long after it was opened.
    ~SendToCommands() override;

    // "Floppy Drive (A)": the first mounted removable medium; none mounted copies nothing.
    void StuurNaarA();
    void StuurNaarMijnDocumenten();
    void StuurNaarKiesEenFolder();
    void StuurNaarEmail();

    // The root of the first mounted, writable removable medium; empty when there is none.
    static QString RemovableMediumRoot();
    // Where "Floppy Drive (A)" looks for its medium (RemovableMediumRoot until replaced;
    // tests set what is mounted).
    void setRemovableMediumFinder(std::function<QString()> finder) { m_findMedium = std::move(finder); }
    // Whether a mount point is where the desktop mounts removable media.
    static bool IsRemovableMountPoint(const QString &rootPath);

    // The copies handed to mail programs, for their clean-up.
    const ProcessList &mailCopies() const { return m_mailCopies; }

private:
    struct Row {
        qint32 id;
        QString name;
    };
    QList<Row> selectedRows() const;
    // Copies the selected files into `folder` through the store; True when it copied.
    bool copyTo(const QString &folder);
    void showOutcome(bool copied, const QString &copiedText, const QString &nothingText);
    // The file to attach for a view copy of the file `name`: the copy itself when it
    // carries that name, else the copy moved to a folder of its own under that name.
    static QString attachmentOf(const QString &viewCopy, const QString &name);

    SendToContext m_ctx;
    ProcessList m_mailCopies;
    std::function<QString()> m_findMedium = &SendToCommands::RemovableMediumRoot;
};

} // namespace dwfm
