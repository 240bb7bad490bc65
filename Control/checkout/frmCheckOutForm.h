#pragma once

#include "CheckWorkDialog.h"

namespace dwfm {

// "Bewerken projecten": checks the listed files out for the logged-on user, one by one,
// and tells per file where its working copy lies (FileOpen or FileCheckOut).
class frmCheckOutForm : public CheckWorkDialog {
    Q_OBJECT
public:
    explicit frmCheckOutForm(QWidget *parent = nullptr);

    // Raise FileOpen (True) or FileCheckOut (False) after each file checked out.
    bool OpenAfterCheckOut = false;

    // The "&Bewerken" button's work under the dialog's error trap: an error ends the loop
    // and is reported as "frmCheckOutForm.AutoCheckOut"; events already raised stay.
    void AutoCheckOut();

signals:
    void FileCheckOut(const QString &strFilePath, qint32 lProjectID);
    void FileOpen(const QString &strFilePath, qint32 lProjectID);

protected:
    bool workOne(qint32 lProjectID, const QString &strDescription) override;
    void workDone(int row, qint32 lProjectID) override;
};

} // namespace dwfm
