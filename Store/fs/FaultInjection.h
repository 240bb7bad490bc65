#pragma once

namespace dwfm::store {

// Named points in the store's file work where a test may make the process die on the
// spot, to prove that a crash there leaves the store readable. A point fires only when
// the environment variable DW_STORE_FAULT holds its name; otherwise it costs one lookup.
namespace FaultInjection {

void point(const char *name);
// Like point, and also throws a disk-full DwError when DW_STORE_FAULT is "fail:<name>":
// a step that fails there, as a full disk would make it.
void check(const char *name);

// A test's own action at every point (e.g. a user saving a file at that moment); null
// removes it.
using Hook = void (*)(const char *name);
void setHook(Hook hook);

} // namespace FaultInjection
} // namespace dwfm::store
