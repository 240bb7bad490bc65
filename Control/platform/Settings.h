#pragma once

#include <QSettings>

#include <memory>

namespace dwfm {

// The per-user settings store of the library: application name "DwProjectFileManUI".
std::unique_ptr<QSettings> UserSettings();

} // namespace dwfm
