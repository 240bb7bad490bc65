#pragma once

#include "DwExport.h"

#include <QSettings>

#include <memory>

namespace dwfm {

// The per-user settings store of the library: application name "DwProjectFileManUI".
DWFILEMANUI_EXPORT std::unique_ptr<QSettings> UserSettings();

} // namespace dwfm
