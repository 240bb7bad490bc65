#pragma once

#include "DwError.h"
#include "DwExport.h"

#include <QString>

#include <exception>

namespace dwfm {

// The library's application title: the title of its message boxes and dialogs and the
// application name of its per-user settings.
DWFILEMANUI_EXPORT QString ApplicationTitle();
// The library's own version, "major.minor.revision".
DWFILEMANUI_EXPORT QString LibraryVersion();

// How a pending error is reported to the user.
struct ErrorClassification {
    enum Class { None, Restriction, Database, Input, General };
    Class errorClass = None;
    QString message;
    QString details;
    qint32 icon = 1; // 1 error, 3 warning
};

// Sorts an error by its number into the five classes and builds the message and the
// detail text shown for it.
DWFILEMANUI_EXPORT ErrorClassification ClassifyError(qint32 number, const QString &description,
                                                     const QString &procedure);

// Reports `error`, caught by the routine named `procedure`, in the error dialog. An
// error number 0 shows nothing and hands over to the session's ReportLastError.
DWFILEMANUI_EXPORT void ShowError(const QString &procedure, const DwError &error);
// Reports an error that is not one of ours (a standard exception) as a general error.
DWFILEMANUI_EXPORT void ShowError(const QString &procedure, const std::exception &error);
// No error pending: hands over to the session's ReportLastError (nothing when there is no
// session yet).
DWFILEMANUI_EXPORT void ShowError(const QString &procedure);

// A plain refusal: the text in a message box with the stop symbol and an OK button.
DWFILEMANUI_EXPORT void ShowCriticalMessage(const QString &text);

// The error a standard exception stands for (bad_alloc: out of memory; others general).
DWFILEMANUI_EXPORT DwError ToDwError(const std::exception &error);

} // namespace dwfm
