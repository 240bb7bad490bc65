#pragma once

#include "DwSessionExport.h"

#include <QList>
#include <QString>
#include <QtGlobal>

namespace dwfm {

// What a projects service may offer beside the ProjectsService contract: many files copied,
// deleted or checked out in one go, so that a store can decide them together instead of
// making each change durable on its own. A caller (the paste, the check-out dialog) asks
// for it with dynamic_cast and goes file by file with CopyProject, DeleteProject or
// CheckOutProject when a service does not offer it.
class DWSESSION_EXPORT ProjectBatch {
public:
    virtual ~ProjectBatch();

    // Copies each file of lProjectIDs into lTargetLocationID as CopyProject does, with
    // strDescription as the remark in each new file's history. Answers one entry per
    // given file, in the same order: the new file's ID, or -1 when that file was refused
    // (a refusal does not stop the others; the last refusal's reason is the session's
    // last error).
    virtual QList<qint32> CopyProjects(const QList<qint32> &lProjectIDs, qint32 lTargetLocationID,
                                       const QString &strDescription) = 0;
    // Deletes each file of lProjectIDs as DeleteProject does. Answers one entry per given
    // file: True when deleted, False when refused (the others go on; the last refusal's
    // reason is the session's last error).
    virtual QList<bool> DeleteProjects(const QList<qint32> &lProjectIDs) = 0;
    // Checks out each file of lProjectIDs as CheckOutProject does (same rules, same working
    // copies, strDescription as each check-out's remark), committed together. Answers one
    // entry per given file: True when the file is now the user's, False when refused (the
    // others go on; the last refusal's reason is the session's last error). When it
    // answers, the reservations are as durable as a check-in.
    virtual QList<bool> CheckOutProjects(const QList<qint32> &lProjectIDs, const QString &strDescription) = 0;
};

} // namespace dwfm
