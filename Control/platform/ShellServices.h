#pragma once

#include <QString>

namespace dwfm {

// The system's temporary folder, always ending in a directory separator.
QString GetTempDirectory();
// Creates a new, empty, uniquely named file in `folder` (the temporary folder when empty)
// and answers its full path; empty text when no file could be created.
QString NewTempFilePath(const QString &folder = QString());
// Deletes a plain file when it exists; failures are ignored.
void DeleteFileIfExists(const QString &path);
// Makes a file read-only (no write permission for anyone); failures are ignored.
void SetReadOnly(const QString &path);
// Gives the owner write permission again, leaving the other permissions; failures are
// ignored.
void ClearReadOnly(const QString &path);
// Replaces `path` (a file path) by its folder and removes that folder when it holds
// nothing. A folder named "temp" (any case) and the system's temporary folder are never
// removed; failures are ignored.
void DeleteFolderIfEmpty(QString &path);
// The path of a special folder of the user, created when missing (5 = documents; also 0
// and 16 desktop, 13 music, 14 videos, 26 and 28 application data, 39 pictures). An
// unknown type shows a message and gives empty text.
QString GetSpecialFolder(qint32 folderType);

} // namespace dwfm
