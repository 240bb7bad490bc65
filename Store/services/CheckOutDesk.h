#pragma once

#include "services/StoreContext.h"

#include <QList>
#include <QStringList>

namespace dwfm::store {

// Check-out, check-in and the copies a user takes of the server's files.
//
// Every change here is decided by one commit; the file work is prepared before it (a copy
// that can simply be removed again when the commit is refused) and finished after it.
// Check-out makes the working copy, then takes the file with one conditional update
// (free and not locked -> mine) whose commit does not wait for the disk; checking out a file one holds already answers True and
// puts a missing working copy back. Check-in writes and flushes the new content in the
// staging folder, commits, then renames it over the server file. A working copy that
// differs from what would replace it is never overwritten: it is renamed to
// "<name> (bewaard <moment>).<ext>" beside it first.
class CheckOutDesk {
public:
    explicit CheckOutDesk(StoreContextPtr &context) : m_context(context) {}

    void checkOut(qint32 projectId, const QString &remark);
    // removeLocalCopy: the working copy is deleted once the server holds its content.
    void checkIn(qint32 projectId, const QString &remark, bool removeLocalCopy);
    // Administrators may cancel anyone's check-out, other users only their own.
    // restoreLocalCopy: the holder's working copy is set back to the server's version
    // (a changed copy is kept aside first); only done when the holder is this user.
    void cancel(qint32 projectId, const QString &remark, bool restoreLocalCopy);

    // A copy in a new temporary folder, under the file's own name.
    QString viewCopy(qint32 projectId);
    // A copy at `target`; an existing file there is refused, never overwritten.
    void localCopy(qint32 projectId, const AnchoredPath &target);
    // Copies pairwise; an existing target gets a free "name (n).ext" beside it. Throws
    // after trying all of them when any failed.
    void copyToFolders(const QList<qint32> &projectIds, const QStringList &targets);

    // The folder of the working copy: where it was checked out to, or where it would go.
    QString localFolder(qint32 projectId);

private:
    void release(qint32 projectId, const QString &holder);
    void reopen(const ProjectRow &row);
    StoreContextPtr &m_context;
};

} // namespace dwfm::store
