#pragma once

#include "DwStoreExport.h"

namespace dwfm::store {

// Named points in the store's file work where a test may make the process die on the
// spot, to prove that a crash there leaves the store readable. A point fires only when
// the environment variable DW_STORE_FAULT holds its name; otherwise it costs one lookup.
namespace FaultInjection {

DWSTORE_EXPORT void point(const char *name);

} // namespace FaultInjection
} // namespace dwfm::store
