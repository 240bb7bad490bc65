#pragma once

#include <QString>

class QTreeView;

namespace dwfm {

class ViewLayout;

// Keeps the split positions and the list's column widths per user and per host, in the
// library's settings under "Settings". Keys are the host's description followed by
// "PicHorLeft", "PicVerTop" and "ColWidth" + the column number (from 1); values are text
// in twips.
namespace LayoutSettings {

// The leading number of a stored text: "1234abc" gives 1234, a text that does not start
// with a number gives 0.
double leadingNumber(const QString &text);

// Puts both splitters where they were stored (in the middle of the control when nothing
// was stored), lays the panes out anew and sets every column's width (1000 twips when
// nothing was stored). Failures are ignored.
void RestoreSettings(ViewLayout &layout, QTreeView *list, const QString &vAppDescription);

// Writes the split positions and the column widths. Nothing is written before a mode has
// succeeded (`initialized` False); with the locations hidden the stored vertical split
// is left as it was. Failures are ignored.
void SaveSettings(const ViewLayout &layout, const QTreeView *list, bool initialized,
                                     bool hideLocations, const QString &vAppDescription);

} // namespace LayoutSettings
} // namespace dwfm
