#pragma once

#include "CheckWorkDialog.h"

namespace dwfm {

// "Terugzetten projecten": returns the user's working copies of the listed files to the
// server, one by one, and raises FileCheckIn per file returned.
class frmCheckInProject : public CheckWorkDialog {
    Q_OBJECT
public:
    explicit frmCheckInProject(QWidget *parent = nullptr);

    // The "&Terugzetten" button's work under the dialog's error trap: an error ends the
    // loop and is reported as "frmCheckInProject.AutoCheckIn".
    void AutoCheckIn();

signals:
    void FileCheckIn(qint32 lProjectID);

protected:
    bool workOne(int row, qint32 lProjectID, const QString &strDescription) override;
    void workDone(int row, qint32 lProjectID) override;
};

} // namespace dwfm
