#include "frmCheckOutForm.h"

#include "ProjectBatch.h"
#include "platform/ErrorTrap.h"
#include "platform/TextHelpers.h"

#include <QPushButton>

namespace dwfm {

frmCheckOutForm::frmCheckOutForm(QWidget *parent)
    : CheckWorkDialog({QStringLiteral("frmCheckOutForm"), QStringLiteral("Bewerken projecten"),
                       QStringLiteral("Kies bewerken om onderstaande projecten op te halen van de server : "),
                       QStringLiteral("&Bewerken"),
                       {105, 105, 6855, 240},
                       {105, 435, 6900, 1725},
                       {135, 2235, 1635, 225},
                       {105, 2490, 6900, 1095},
                       {105, 3660, 6900, 375}},
                      parent)
{
    connect(cmdOK, &QPushButton::clicked, this, [this] { AutoCheckOut(); });
}

void frmCheckOutForm::AutoCheckOut()
{
    TrapErrorsVoid(QStringLiteral("frmCheckOutForm.AutoCheckOut"), [this] { runWork(); });
}

void frmCheckOutForm::beginWork(const QList<qint32> &lProjectIDs, const QString &strDescription)
{
    m_batched = false;
    m_taken.clear();
    if (lProjectIDs.isEmpty())
        return;
    const FileStoreSessionPtr session = RequireSession();
    if (auto *batch = dynamic_cast<ProjectBatch *>(&session->Projects())) {
        m_taken = batch->CheckOutProjects(lProjectIDs, strDescription);
        m_batched = true;
    }
}

bool frmCheckOutForm::workOne(int row, qint32 lProjectID, const QString &strDescription)
{
    if (m_batched)
        return m_taken.value(row, false);
    const FileStoreSessionPtr session = RequireSession();
    return session->Projects().CheckOutProject(lProjectID, strDescription);
}

void frmCheckOutForm::workDone(int row, qint32 lProjectID)
{
    QString folder;
    {
        const FileStoreSessionPtr session = RequireSession();
        folder = session->Projects().GetProjectLocalFolder(lProjectID);
    }
    // The name is the list's text from when the command started, not a fresh answer of
    // the store: the host opens what the user chose.
    const QString path = AddBackslash(folder) + rowText(row);
    if (OpenAfterCheckOut)
        emit FileOpen(path, lProjectID);
    else
        emit FileCheckOut(path, lProjectID);
}

} // namespace dwfm
