#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace dwfm {

class VersionPanel;

// "Bestand eigenschappen": one file's folders and name on the "Algemeen" tab and its
// history on "Logboek", read from the store; a store that keeps versions also shows them
// there, above the history, to be viewed and restored (VersionPanel). Otherwise a viewer:
// nothing typed is stored, and only administrators may type at all (and see the file's ID).
class frmGeneralProjectProperties : public QDialog {
    Q_OBJECT
public:
    explicit frmGeneralProjectProperties(QWidget *parent = nullptr);
    ~frmGeneralProjectProperties() override;

    // The file shown; set before FillInfo.
    qint32 mProjectID = 0;
    // The name the file list shows for it; FillInfo compares it with the store's.
    QString ListedFileName;
    // True when FillInfo found the store different from what the list shows (the file is
    // gone or carries another name): the list then wants a refill.
    bool Changed = false;

    // What loading does: the administrator sees the file ID and may type; others not.
    void Form_Load();
    // Reads the file's properties and history from the store into the dialog. Has no
    // error trap of its own: an error ends it where it happened.
    void FillInfo();
    void cmdOK_Click();

    // Whether keys typed into the five filtered fields are discarded.
    bool inputLocked() const { return m_inputLocked; }

    QTabWidget *SSTab1;
    QGroupBox *Frame3;
    QLabel *Label2;
    QLineEdit *txtLokaalProject;
    QGroupBox *Frame4;
    QLabel *Label1;
    QLineEdit *txtLokatieOpServer;
    QLabel *Label5;
    QLineEdit *txtProjectCab;
    QGroupBox *Frame5;
    QTextEdit *rtStatus;
    QTextEdit *rtHistory;
    VersionPanel *pnlVersies;
    QLabel *lblProjectID;
    QLineEdit *txtProjectID;
    QPushButton *cmdOK;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fillHistory(qint32 projectID);
    // The history fills the tab, or the space below the versions when they are shown.
    void placeHistory(bool belowVersions);

    bool m_inputLocked = true;
};

} // namespace dwfm
