#pragma once

#include "DwExport.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace dwfm {

class FileManUI;

// "Documenten opslaan": a file manager of its own in save-file mode, in which the user
// picks the location for a file; OK adds the given local file there, or creates a new
// empty file under the name the user typed. The outcome stays in the public fields until
// the dialog is destroyed. Support::ShowFileSaveAsDialog is the way hosts use it.
class DWFILEMANUI_EXPORT frmSaveAsDialog : public QDialog {
    Q_OBJECT
public:
    // The description under which the embedded control keeps its layout.
    static QString SettingsDescription();

    explicit frmSaveAsDialog(QWidget *parent = nullptr);
    ~frmSaveAsDialog() override;

    bool Saved = false;
    bool Failed = false;
    qint32 SavedLocationID = 0;
    qint32 SavedFileID = 0;
    QString SavedFileName;
    bool CancelPressed = false;
    qint32 TargetLocationID = 0;
    QString TargetFriendlyDescription;
    bool Activated = false;

    // The local file to add (shown in the file-name field).
    void SetSourceFileLocation(const QString &strFileName);
    void SetTargetLocationID(qint32 lTargetLocationID) { TargetLocationID = lTargetLocationID; }
    void SetTargetFriendlyDescription(const QString &strDescription) { TargetFriendlyDescription = strDescription; }
    // Create a new empty file under a typed name instead of adding the source file.
    bool CreateEmptyFileOnServer() const { return m_createEmptyFile; }
    void setCreateEmptyFileOnServer(bool bCreate) { m_createEmptyFile = bCreate; }
    // The extension the new empty file gets.
    QString EmptyFileExtentionName() const { return m_extension; }
    void setEmptyFileExtentionName(const QString &strExtension) { m_extension = strExtension; }

    // The placement of the last run, at least 1000 twips each way (else 10000 x 4000).
    void Form_Load();
    // The one-time set-up on the first show: the embedded control's layout, looks and
    // save-file mode. A location that cannot be opened closes the dialog unsaved.
    void Form_Activate();
    void cmdOK_Click();
    void cmdAnnuleren_Click();
    // Keeps the embedded control's layout and hides the dialog.
    void closeDialog();
    // Keeps the dialog's placement; runs when the dialog is closed or destroyed.
    void Form_QueryUnload();
    // Lays the controls out for the current size.
    void Form_Resize();

    QLabel *Label1;
    QLineEdit *txtCurrentLocation;
    FileManUI *DwBestandsBeheer1;
    QLabel *Label2;
    QLineEdit *txtBestandsNaam;
    QPushButton *cmdOK;
    QPushButton *cmdAnnuleren;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool m_createEmptyFile = false;
    QString m_extension;
};

} // namespace dwfm
