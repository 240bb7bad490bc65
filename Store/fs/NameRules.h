#pragma once

#include "DwStoreExport.h"

#include <QString>

namespace dwfm::store {

// Names of files and locations: one path part that every supported file system accepts.
namespace NameRules {

constexpr int MaxLength = 253;

// An empty text when `name` is acceptable, otherwise the reason in one Dutch sentence.
DWSTORE_EXPORT QString problem(const QString &name);
// Throws DwError (input error) with the reason when `name` is not acceptable.
DWSTORE_EXPORT void require(const QString &name);
// The key under which names are compared: case-folded, so "Plan.TXT" equals "plan.txt".
DWSTORE_EXPORT QString key(const QString &name);

} // namespace NameRules
} // namespace dwfm::store
