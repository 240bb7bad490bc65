#pragma once

#include "fs/AnchoredPath.h"

#include <QString>

namespace dwfm::store {

// The checks both backends make on a location's server folder before a file joins it.
namespace ServerFolder {

// Refuses when anything the store does not know (a link included) already lies at `target`.
void requireNoStrayFile(const AnchoredPath &target);
// Refuses a file that is to join the store where it lies when it is not the regular file
// at `target` itself (a link there is refused, not followed).
void requireInPlace(const QString &source, const AnchoredPath &target);

} // namespace ServerFolder
} // namespace dwfm::store
