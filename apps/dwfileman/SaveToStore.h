#pragma once

#include "StoreConnection.h"

#include <functional>

class QMenu;
class QString;
class QWidget;

namespace dwfm {
class FileManUI;
}

// "Opslaan in de store…" in the host's file menu: asks for a local file and stores it
// through the library's save-as service, starting at the location the control shows.
// The service connects as `connection` answers at that moment. Its answer is logged; a
// stored file shows in the list at once.
void addSaveToStoreAction(QMenu *fileMenu, dwfm::FileManUI *control, QWidget *dialogParent,
                          std::function<StoreConnection()> connection, std::function<void(const QString &)> log);
