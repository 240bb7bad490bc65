#pragma once

#include "services/StoreContext.h"

#include <QString>

#include <functional>

namespace dwfm::store {

// The text of stored documents in the embedded store's search index. A file whose content
// was stored (added, copied, checked in) waits in search_queue; indexing it claims it for
// this process (so that two processes never read the same document at once), reads its
// server file's text outside any transaction and writes the text and the file's stamp in
// one commit of the index's database. A claim of a process that no longer runs is taken over; content that did not
// change since it was indexed is not read again.
namespace ContentIndex {

enum class Outcome {
    Indexed, // one file's text is now in the index (or it needed none)
    Waiting, // nothing this process could take now; what waits is another's or not ready
    Stopped, // `goOn` said stop; the claim is given back
};

// Indexes the next file that waits, for the process `owner` (PendingWork::ownerTag()).
// Files whose content a disk step has not put in place yet are left for later. Throws
// DwError when the database refuses (the claim is given back).
Outcome indexNext(const StoreContext &context, const QString &owner, const std::function<bool()> &goOn);
// How many files wait for their text to be indexed, claimed or not.
qint64 waiting(const SqliteDbPtr &db);

} // namespace ContentIndex
} // namespace dwfm::store
