#pragma once

#include "SessionRegistry.h"

namespace dwfm {

// The process-wide session; throws DwError 91 when the control was never connected, so
// that the calling routine reports it like any other failure.
FileStoreSessionPtr RequireSession();

} // namespace dwfm
