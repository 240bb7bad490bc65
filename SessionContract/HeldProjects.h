#pragma once

#include "DwSessionExport.h"
#include "Recordset.h"

#include <QString>
#include <QtGlobal>

namespace dwfm {

// What a projects service may offer beside the ProjectsService contract: the files people
// hold, for an administrator who looks for what has been held too long (`dwstore who`). A
// caller asks for it with dynamic_cast. Its rows are those of ProjectSearch: file rows with
// `LocationID`, followed by `LocationPath`.
class DWSESSION_EXPORT HeldProjects {
public:
    virtual ~HeldProjects();

    // The files someone holds, the longest held first. strUserID: only that user's (empty:
    // everyone's); lOlderThanDays: only those held for at least that many days (0: all).
    // An administrator sees every held file, other users those below their roots. False
    // with no record set when there are none.
    virtual bool GetHeldProjects(RecordsetPtr &rsHeld, const QString &strUserID, qint32 lOlderThanDays) = 0;
};

} // namespace dwfm
