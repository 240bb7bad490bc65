#pragma once

#include "DwExport.h"

#include <QString>

namespace dwfm {

// The library's global object: services a host calls without a control of its own.
class DWFILEMANUI_EXPORT Support {
public:
    // Stores a local file in the document store through the modal "Documenten opslaan"
    // dialog: it connects its own file manager with the given connection arguments (that
    // session becomes the process's session and stays after the call), opens it on
    // lTargetLocationID and lets the user pick the location. OK adds strFileName there,
    // or, with bCreateEmptyFile, creates a new empty file under a name the user types,
    // with strEmptyFileExtentionName as its extension. True when a file was stored; the
    // location, the file's ID and (for an empty file) its name are then in the last three
    // arguments. False after a failed connection, a location that cannot be opened,
    // Annuleren or the window's close button, with -1, -1 and empty text.
    static bool ShowFileSaveAsDialog(const QString &strServer, const QString &strUser, const QString &strPassWord,
                                     const QString &strCatalog, bool bSQLSecurity, const QString &strFileName,
                                     qint32 lTargetLocationID, const QString &strTargetFriendlyDescription,
                                     bool bCreateEmptyFile, const QString &strEmptyFileExtentionName,
                                     qint32 &lSavedInLocationID, qint32 &lSavedFileID, QString &strSavedFileName);
};

} // namespace dwfm
