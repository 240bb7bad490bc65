#include "DwFileStore.h"

#include "DwFileStoreSession.h"
#include "SessionRegistry.h"

namespace dwfm::store {

void registerDwFileStore()
{
    SessionRegistry::registerFactory([] { return std::make_shared<DwFileStoreSession>(); });
}

} // namespace dwfm::store
