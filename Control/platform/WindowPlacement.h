#pragma once

#include "DwExport.h"

class QWidget;

namespace dwfm {

// Centres a dialog on its screen.
DWFILEMANUI_EXPORT void CenterForm(QWidget &form);
// Restores a dialog's position, size and window state from the per-user settings
// (section "Windows", keys named after the dialog's object name). Missing values read as
// 0. True when the restored width and height are both non-zero.
DWFILEMANUI_EXPORT bool RestoreWindowPosition(QWidget &form);
// Saves the position and size (only in the normal state) and always the window state.
DWFILEMANUI_EXPORT void SaveWindowPosition(QWidget &form);
DWFILEMANUI_EXPORT void SetBusyPointer(QWidget &form);
DWFILEMANUI_EXPORT void SetNormalPointer(QWidget &form);

} // namespace dwfm
