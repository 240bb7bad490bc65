#pragma once

#include "DwSessionExport.h"
#include "Recordset.h"

#include <QString>
#include <QtGlobal>

namespace dwfm {

// What a projects service may offer beside the ProjectsService contract: the earlier
// contents of a file. A store that offers it makes a version at every add, copy, check-in
// and restore and keeps the earlier contents until an administrator prunes them. A caller
// (the properties dialog) asks for it with dynamic_cast and shows only the history when a
// service does not offer it.
class DWSESSION_EXPORT ProjectVersions {
public:
    virtual ~ProjectVersions();

    // One row per version of the file, newest first: `Version` (its number, 1 for the
    // first; numbers of pruned versions are not used again), `Hash` (the content's SHA-256
    // in lowercase hexadecimal; null while a store has not read an older content yet),
    // `Size` (bytes), `UserName` (who made it), `VersionDate` (the moment, a date-time),
    // `Remark` (null when none), `IsCurrent` (True for the file's current content),
    // `IsCheckOutBase` (True for the version the holder's check-out started from, which
    // pruning keeps). False for an unknown file (last error says why).
    virtual bool GetProjectVersions(RecordsetPtr &rsVersions, qint32 lProjectID) = 0;
    // A read-only copy of that version's exact content (checked against its hash), in a
    // new temporary file named as the file, as GetViewCopy makes one of the current
    // content. False for an unknown file or version, or content that is damaged.
    virtual bool GetVersionViewCopy(qint32 lProjectID, qint32 lVersion, QString &strPath) = 0;
    // Makes that version's content the file's current content again, as a new version
    // with a history row "Versie <n> teruggezet" (memo strRemark); the new version's remark
    // is strRemark, or that same text when strRemark is empty. Refused (False, nothing
    // changed) while another user holds the file, in a read-only session, for an unknown
    // file or version, for the current version itself, or when the kept content is damaged.
    // While the caller holds the file, the restored content becomes the server version and
    // the check-out stays; the working copy is not touched.
    virtual bool RestoreProjectVersion(qint32 lProjectID, qint32 lVersion, const QString &strRemark) = 0;
};

} // namespace dwfm
