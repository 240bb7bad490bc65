#include "frmCheckInProject.h"

#include "platform/ErrorTrap.h"

#include <QPushButton>

namespace dwfm {

frmCheckInProject::frmCheckInProject(QWidget *parent)
    : CheckWorkDialog({QStringLiteral("frmCheckInProject"), QStringLiteral("Terugzetten projecten"),
                       QStringLiteral("Kies terugzetten om onderstaande projecten te verplaatsen naar de server : "),
                       QStringLiteral("&Terugzetten"),
                       {120, 90, 6855, 240},
                       {120, 420, 6900, 1725},
                       {150, 2220, 1635, 225},
                       {120, 2475, 6900, 1095},
                       {120, 3645, 6900, 375}},
                      parent)
{
    connect(cmdOK, &QPushButton::clicked, this, [this] { AutoCheckIn(); });
}

void frmCheckInProject::AutoCheckIn()
{
    TrapErrorsVoid(QStringLiteral("frmCheckInProject.AutoCheckIn"), [this] { runWork(); });
}

bool frmCheckInProject::workOne(int, qint32 lProjectID, const QString &strDescription)
{
    const FileStoreSessionPtr session = RequireSession();
    // The working copy goes back to the server and leaves the user's folder.
    return session->Projects().CheckInProject(lProjectID, strDescription, true);
}

void frmCheckInProject::workDone(int, qint32 lProjectID) { emit FileCheckIn(lProjectID); }

} // namespace dwfm
