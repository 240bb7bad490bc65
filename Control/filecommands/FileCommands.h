#pragma once

#include "list/ListSelection.h"

#include <QObject>

#include <functional>

namespace dwfm {

// What rename, delete and undo of a check-out need of the control.
struct FileCommandsContext {
    ListSelection list;
    std::function<void()> refreshListView;
};

// Three commands on the selected files that change the store at once: give one file a
// new name, delete files, and undo check-outs so the server's version comes back. Each
// asks first, calls the store once per file and refreshes the list when something
// changed.
class FileCommands : public QObject {
    Q_OBJECT
public:
    explicit FileCommands(FileCommandsContext context, QObject *parent = nullptr);

    // Asks a new name for the selected file until the store takes one or the user gives
    // none. A file in use cannot be renamed: the store says so and the command ends.
    void NaamWijzigenProject();
    // Asks whether to delete the selected files (naming each) and deletes them.
    void VerwijderenProject();
    // Asks whether to put the server's version back and undoes the check-out of every
    // selected file; the user's working copies are set back (a changed one kept aside).
    void UndoCheckOutProject();

private:
    FileCommandsContext m_ctx;
};

} // namespace dwfm
