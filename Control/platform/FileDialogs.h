#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace dwfm {

// The system open or save dialog. `filter` pairs a description and a pattern, each
// followed by a NUL: "Alle bestanden (*.*)" NUL "*.*" NUL. Answers the (first) chosen
// path, or empty text when cancelled; with `cancelRaisesError` a cancel throws DwError
// 32755 instead. A multi-select fills SelectedFiles() with every chosen path in order.
QString ShowFileDialog(const QString &filter, const QString &initialFileName,
                                          const QString &initialFolder, const QString &title,
                                          bool cancelRaisesError, bool save, const QString &defaultExtension,
                                          bool multiSelect);

// The paths of the last successful multi-select; nothing after any other dialog.
const std::optional<QStringList> &SelectedFiles();

// Turns the NUL-separated description/pattern pairs into a Qt filter text.
QString ToQtFilter(const QString &filter);

} // namespace dwfm
