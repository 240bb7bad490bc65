#include "SessionAccess.h"

#include "DwError.h"

namespace dwfm {

FileStoreSessionPtr RequireSession()
{
    FileStoreSessionPtr session = SessionRegistry::current();
    if (!session)
        throw DwError(DwError::ObjectNotSet, QStringLiteral("Er is geen verbinding met de store."));
    return session;
}

} // namespace dwfm
