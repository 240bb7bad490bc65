#pragma once

#include <functional>

class QMenu;
class QMenuBar;
class QString;
class QWidget;

namespace dwfm {
class FileManUI;
}

// How the event log writes a Boolean answer of the control: "True" or "False".
QString trueFalse(bool value);

// The host's "Modus" menu: one entry per mode of the control, asking for the location or
// user the mode needs, and a refresh of the tree. Every answer of the control is logged.
QMenu *addModeMenu(QMenuBar *menuBar, dwfm::FileManUI *control, QWidget *dialogParent,
                 std::function<void(const QString &)> log);
