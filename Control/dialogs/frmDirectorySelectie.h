#pragma once

#include "DwExport.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace dwfm {

// "Selecteer directory": the user picks a folder on one of the machine's volumes. The
// drive list holds the mounted volumes, the folder list the folders of the chosen one.
// OK stays disabled until the user clicks a folder or changes the drive. A caller shows
// the dialog modally and reads Resultaat and Directory afterwards.
class DWFILEMANUI_EXPORT frmDirectorySelectie : public QDialog {
    Q_OBJECT
public:
    explicit frmDirectorySelectie(QWidget *parent = nullptr);

    // True when the dialog ended with OK.
    bool Resultaat() const { return m_resultaat; }
    // The chosen folder; empty after Annuleren.
    QString Directory() const { return m_directory; }
    // Preselects this folder (an empty text leaves the folder list where it is).
    void setDirectory(const QString &vdata);
    // The folder the folder list stands on: the clicked folder, or else the volume's root.
    QString currentPath() const;

    void cmdOK_Click();
    void cmdAnnuleren_Click();
    // The drive list's entry for this volume root was chosen.
    void DriveBox_Change(int row);

    QComboBox *DriveBox;
    QTreeView *dirBox;
    QPushButton *cmdOK;
    QPushButton *cmdAnnuleren;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showFolder(const QString &path);

    QFileSystemModel *m_folders;
    QString m_root;
    bool m_resultaat = false;
    QString m_directory;
    bool m_centred = false;
};

} // namespace dwfm
