#pragma once

#include "DwExport.h"

#include <QString>
#include <QVariant>

namespace dwfm {

// Checks a file name typed by the user: at most 253 characters and none of < > : / \ |
// and the double quote. A refused name is shown in a message box; answers False then.
DWFILEMANUI_EXPORT bool FileNameValid(const QString &fileName);
// Key filter of name fields: letters, digits, ! @ # $ % and control keys pass; any other
// key is set to 0 (swallowed) and False is answered.
DWFILEMANUI_EXPORT bool KeyAllowed(qint16 &keyCode);
// Empty text for a null value, else the value as text.
DWFILEMANUI_EXPORT QString NullToEmpty(const QVariant &value);
// All characters but the last; empty text for a text of one character or none.
DWFILEMANUI_EXPORT QString StripLastChar(const QString &text);
// Appends the directory separator unless the path is empty or already ends in one.
DWFILEMANUI_EXPORT QString AddBackslash(const QString &path);
// Removes one trailing directory separator.
DWFILEMANUI_EXPORT QString RemoveTrailingBackslash(const QString &path);

// The status bar's computer panel: "[" + name + "]  ", a name too long for the panel
// shortened to its first characters and an ellipsis, a missing name as a single blank.
DWFILEMANUI_EXPORT QString ComputerNameText(const QString &computerName);

} // namespace dwfm
