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
    // A store that checks many files out together (ProjectBatch) gets them all at once,
    // committed together; the results then come row by row as before, with the same events.
    void beginWork(const QList<qint32> &lProjectIDs, const QString &strDescription) override;
    bool workOne(int row, qint32 lProjectID, const QString &strDescription) override;
    void workDone(int row, qint32 lProjectID) override;

private:
    // The store's answer per row when it took the files together; empty otherwise.
    QList<bool> m_taken;
    bool m_batched = false;
};

} // namespace dwfm
