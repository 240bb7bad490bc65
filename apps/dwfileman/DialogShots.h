#pragma once

#include "StoreConnection.h"

#include <QString>

namespace dwfm {
class FileManUI;
}

// Renders the connection dialog (filled with `connection`, without its password), the
// add-files dialog (filled with the files of the selected location) and the properties
// dialog of the location's first file, on its history tab, to PNG files in `folder`,
// without showing them. False when a picture could not be written.
bool saveDialogScreenshots(dwfm::FileManUI &control, const StoreConnection &connection, const QString &folder);
