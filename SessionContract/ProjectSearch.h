#pragma once

#include "DwSessionExport.h"
#include "Recordset.h"

#include <QString>
#include <QtGlobal>

namespace dwfm {

// What a projects service may offer beside the ProjectsService contract: finding files
// anywhere in the store the user may see, and listing the files people hold. A caller (the
// search field of the control, `dwstore who`) asks for it with dynamic_cast; a service that
// does not offer it has no search, and the control then shows no search field.
//
// The rows of both queries are file rows (the fields of GetProjectsInLocation, with
// `LocationID`) followed by `LocationPath`: the location's path as the user's tree shows
// it below the user's roots, names joined by "/".
class DWSESSION_EXPORT ProjectSearch {
public:
    virtual ~ProjectSearch();

    // The files below the user's roots (their own roots, or every top location when they
    // have none: the locations the tree shows) that match strText, ordered by name. A file
    // matches when its name holds every word of strText, without regard to case or accents
    // ("cafe" finds "Café.txt"); when its check-out remark or a remark in its history does;
    // when it is held by the user strText names (user ID or full name); or when the text
    // inside it holds every word (words, or their beginnings). False with no record set
    // when nothing matches or strText holds no word.
    virtual bool SearchProjects(RecordsetPtr &rsFound, const QString &strText) = 0;

    // The files someone holds, the longest held first. strUserID: only that user's (empty:
    // everyone's); lOlderThanDays: only those held for at least that many days (0: all).
    // An administrator sees every held file, other users those below their roots. False
    // with no record set when there are none.
    virtual bool GetHeldProjects(RecordsetPtr &rsHeld, const QString &strUserID, qint32 lOlderThanDays) = 0;

    // The text inside stored documents is indexed in the background, after the change that
    // stored them. This indexes what still waits now and answers True once every stored
    // content is in the index, False when that took longer than lTimeoutMs (the rest follows
    // in the background).
    virtual bool FinishIndexing(qint32 lTimeoutMs) = 0;
};

} // namespace dwfm
