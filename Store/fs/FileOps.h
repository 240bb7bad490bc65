#pragma once

#include "DwStoreExport.h"

#include <QString>

namespace dwfm::store {

// The file work of the store. Every function either does all of its work or throws
// DwError (with the usual file-error numbers) and leaves no partial file behind.
namespace FileOps {

// Copies `source` to `target`, which must not exist yet. With `durable` the data is on
// disk before the function returns.
DWSTORE_EXPORT void copyNew(const QString &source, const QString &target, bool durable);

// What copyIfAbsent did.
enum class NewCopy { Made, TargetExists, SourceMissing };

// Copies `source` to `target` like copyNew (not flushed), making the target's folder when
// it is missing. An existing target or a missing source is answered, not thrown, so that a
// caller that usually finds neither pays for no checks beforehand.
DWSTORE_EXPORT NewCopy copyIfAbsent(const QString &source, const QString &target);

// Puts a copy of `source` at `target` through a flushed temporary file in the target's
// folder and a rename, so that a crash leaves either the old or the new file, never a torn
// one. With `replace` false an existing target is refused.
DWSTORE_EXPORT void installDurably(const QString &source, const QString &target, bool replace);

// The two halves of installDurably, for a caller that must do the quick second half under
// a lock: stage writes and flushes a hidden temporary copy beside `target` and answers its
// path; replaceWith renames it over `target` and flushes the folder.
DWSTORE_EXPORT QString stage(const QString &source, const QString &target);
DWSTORE_EXPORT void replaceWith(const QString &staged, const QString &target);

// Renames `path` to a free name beside it that says it was kept, and answers that name.
DWSTORE_EXPORT QString moveAside(const QString &path);

// `path` when nothing lies there, otherwise the first free "name (n).ext" beside it.
DWSTORE_EXPORT QString freePath(const QString &path);

// True when both files exist and hold the same bytes.
DWSTORE_EXPORT bool sameContent(const QString &a, const QString &b);

// Makes the folder and its parents; throws when that fails.
DWSTORE_EXPORT void makePath(const QString &folder);

// Flushes a folder's entries (after a rename or a new file in it).
DWSTORE_EXPORT void syncFolder(const QString &folder);

// Throws the DwError that matches the C errno value `err`.
[[noreturn]] DWSTORE_EXPORT void failErrno(int err, const QString &what);

// Joins path parts with single separators.
DWSTORE_EXPORT QString join(const QString &a, const QString &b);

} // namespace FileOps
} // namespace dwfm::store
