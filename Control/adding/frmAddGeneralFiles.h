#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace dwfm {

// "Bestanden toevoegen": lists files from disk (picked in the open dialog, dropped on the
// list, or handed over by the control) with a check box each, and registers the checked
// ones in the target location when OK is pressed. The control also uses it without
// showing it, to add one file silently.
class frmAddGeneralFiles : public QDialog {
    Q_OBJECT
public:
    enum Column { ColFile, ColTarget, ColSource, ColumnCount };

    explicit frmAddGeneralFiles(QWidget *parent = nullptr);
    ~frmAddGeneralFiles() override;

    // The location the files go to; its path (from the store) fills the "Doel" column.
    void setTargetKey(qint32 lLocationID);
    qint32 targetKey() const { return m_targetID; }
    // Dragged data: a row for each local file it names, in the order given.
    void setAddFileObject(const QMimeData *data);
    // Adds a row for an existing file (a path that names no file, or one already listed,
    // is passed over); with bSilent the checked rows are registered at once.
    void AddFile(const QString &strFileName, bool bSilent);
    // Registers every checked row in list order. Between files the user may stop it with
    // "Annuleren" while the dialog is shown; the rows not reached stay unregistered.
    void SaveSelectedFiles();

    void cmdAddFiles_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    // Closing the dialog in any way is "Annuleren".
    void reject() override;

    qint32 LastSavedProjectID() const { return m_lastSavedProjectID; }
    QString LastSavedFileName() const { return m_lastSavedFileName; }
    bool SaveFailed() const { return m_saveFailed; }
    // True when a save was stopped by the user before its last file.
    bool SaveCancelled() const { return m_cancelled; }

    // The local file paths in dragged data, in order; empty when it offers none.
    static QStringList FilePathsOf(const QMimeData *data);

    QLabel *Label1;
    QTreeWidget *lvFiles;
    QProgressBar *eBar;
    QPushButton *cmdAddFiles;
    QPushButton *cmdOK;
    QPushButton *cmdCancel;

signals:
    // After each registration of a save: how many of the checked rows are done.
    void fileSaved(int done, int total);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void InitializeListView(const QStringList &paths);
    void addRow(const QString &path);
    void setSaving(bool saving);

    qint32 m_targetID = 0;
    QString m_targetPath;
    qint32 m_lastSavedProjectID = 0;
    QString m_lastSavedFileName;
    bool m_saveFailed = false;
    bool m_saving = false;
    bool m_cancelled = false;
};

} // namespace dwfm
