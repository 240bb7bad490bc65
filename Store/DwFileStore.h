#pragma once

#include "DwStoreExport.h"

namespace dwfm::store {

// Makes the embedded store the session every SetupConnection of this process creates:
// SessionRegistry::registerFactory with a factory of DwFileStoreSession.
DWSTORE_EXPORT void registerDwFileStore();

} // namespace dwfm::store
