#pragma once

namespace dwfm {

// Makes Qt's own texts in the application Dutch (the buttons of message boxes, the file
// dialogs' captions and buttons), as all of the control's texts are: loads Qt's Dutch
// translation (Debian: qt6-translations-l10n) into the application once. A host that has
// installed a translation of Qt's texts itself keeps it: then nothing is loaded, and a
// translation the host installs later takes precedence over this one as Qt orders them.
// Without the translation files Qt's texts stay as they are.
void UseDutchQtTexts();

} // namespace dwfm
