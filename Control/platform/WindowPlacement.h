#pragma once

class QWidget;

namespace dwfm {

// Centres a dialog on its screen.
void CenterForm(QWidget &form);
// Restores a dialog's position, size and window state from the per-user settings
// (section "Windows", keys named after the dialog's object name). Missing values read as
// 0. True when the restored width and height are both non-zero.
bool RestoreWindowPosition(QWidget &form);
// Saves the position and size (only in the normal state) and always the window state.
void SaveWindowPosition(QWidget &form);
void SetBusyPointer(QWidget &form);
void SetNormalPointer(QWidget &form);

} // namespace dwfm
