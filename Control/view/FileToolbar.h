#pragma once

class QString;
class QToolBar;
class QWidget;

namespace dwfm {

// The file tool bar `tbToolbar`: one action per button, the button's key as the action's
// object name ("nieuwproject", "bewerkenproject", "terugzettenproject", the cut button
// without key, "Copy", "Paste", "verwijderenprojecten", "eigenschappen") and its tool tip
// as text. The buttons do nothing by themselves: the list's commands connect to them.
QToolBar *createFileToolbar(QWidget *parent);

// The folder tool bar `tbToolbarFolders`; it carries no buttons.
QToolBar *createFolderToolbar(QWidget *parent);

} // namespace dwfm
