#pragma once

#include <QString>

namespace dwfm::store {

// The checks both backends make on a location's server folder before a file joins it.
namespace ServerFolder {

// Refuses when a file the store does not know already lies at `target`.
void requireNoStrayFile(const QString &target);
// Refuses a file that is to join the store where it lies when it is not the file at
// `target` itself (links and ".." resolved).
void requireInPlace(const QString &source, const QString &target);

} // namespace ServerFolder
} // namespace dwfm::store
