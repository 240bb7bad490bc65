#include "Settings.h"

#include "ErrorReport.h"

namespace dwfm {

std::unique_ptr<QSettings> UserSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, ApplicationTitle(),
                                       ApplicationTitle());
}

} // namespace dwfm
