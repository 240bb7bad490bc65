#pragma once

#include <QString>

namespace dwfm::store {

// Names of files and locations: one path part that every supported file system accepts.
namespace NameRules {

// Names are counted in bytes as the file system stores them (255 at most), less room for
// the longest name the store derives from one: a kept-aside copy adds
// " (bewaard yyyy-MM-dd HHmmss)" and possibly " (nn)".
constexpr int MaxBytes = 255 - 35;
// The longest location path below the root folder, in bytes, so that root, path, name and
// every derived name stay within what the system accepts as a path.
constexpr int MaxPathBytes = 3072;
// The characters the control refuses in a name (besides control characters); the store
// refuses the same, so that every client can handle whatever the store holds.
inline constexpr char16_t ForbiddenCharacters[] = u"<>:/\\|\"";

// An empty text when `name` is acceptable, otherwise the reason in one Dutch sentence.
QString problem(const QString &name);
// The length of `name` as the file system counts it.
int byteLength(const QString &name);
// Throws DwError (input error) with the reason when `name` is not acceptable.
void require(const QString &name);
// The key under which names are compared: case-folded, so "Plan.TXT" equals "plan.txt".
QString key(const QString &name);

} // namespace NameRules
} // namespace dwfm::store
