#pragma once

#include "DwSessionExport.h"
#include "Recordset.h"

#include <QString>
#include <QtGlobal>

namespace dwfm {

// What a projects service may offer beside the ProjectsService contract: finding files
// anywhere in the store the user may see. A caller (the search field of the control) asks
// for it with dynamic_cast; a service that does not offer it has no search, and the control
// then shows no search field.
//
// The rows it answers are file rows (the fields of GetProjectsInLocation, with
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

    // The text inside stored documents is indexed in the background, after the change that
    // stored them. This indexes what still waits now and answers True once every stored
    // content is in the index, False when that took longer than lTimeoutMs (the rest follows
    // in the background).
    virtual bool FinishIndexing(qint32 lTimeoutMs) = 0;
};

} // namespace dwfm
