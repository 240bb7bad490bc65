#pragma once

#include "DwError.h"
#include "services/ContentVersions.h"
#include "services/StoreContext.h"
#include "services/StoreEngine.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace dwfm::store {

// Check-out, check-in and the copies a user takes of the server's files.
//
// Every change here is decided by one commit; the file work is prepared before it (a copy
// that can simply be removed again when the commit is refused) and finished after it.
// Check-out makes the working copy, then takes the file with one conditional update
// (free, not locked and still at the version copied -> mine); the commit is on disk before
// it answers, like a check-in's, so a power cut never gives the file back while its holder
// works on it. The files of one check-out dialog share that commit. Checking out a file
// one holds already answers True and puts a missing working copy back. Check-in writes,
// hashes and flushes the new content in the staging folder, commits it as a new version,
// then puts it over the server file, whose content is kept (ContentVersions). A working
// copy that differs from what would replace it is never overwritten: it is renamed to
// "<name> (bewaard <moment>).<ext>" beside it first.
class CheckOutDesk final : public DeskEngine {
public:
    explicit CheckOutDesk(StoreContextPtr &context) : m_context(context), m_versions(context) {}

    void checkOut(qint32 projectId, const QString &remark) override;
    // Checks out each file as checkOut does, with one commit for all of them: True for each
    // file that is now the user's, False for each refused one (its reason becomes the last
    // error).
    QList<bool> checkOutMany(const QList<qint32> &projectIds, const QString &remark) override;
    // removeLocalCopy: the working copy is deleted once the server holds its content.
    void checkIn(qint32 projectId, const QString &remark, bool removeLocalCopy) override;
    // Administrators may cancel anyone's check-out, other users only their own.
    // restoreLocalCopy: the holder's working copy is set back to the server's version
    // (a changed copy is kept aside first); only done when the holder is this user.
    void cancel(qint32 projectId, const QString &remark, bool restoreLocalCopy) override;

    // Both copy the server file once work that another process committed for it is done.
    QString viewCopy(qint32 projectId) override;
    void localCopy(qint32 projectId, const AnchoredPath &target) override;

private:
    struct Taking;
    // Checks out the files of one commit; the refusal of each file that was refused.
    QList<std::optional<DwError>> takeAll(const QList<qint32> &projectIds, const QString &remark);
    // Before the write lock: the working copy of one file, made (or prepared without a name).
    void prepare(Taking &taking);
    // Under the write lock: takes the file when it is still as it was when its copy was made.
    void take(const Taking &taking, const QString &remark);
    void release(qint32 projectId, const QString &holder);
    void reopen(const ProjectRow &row);
    StoreContextPtr &m_context;
    ContentVersions m_versions;
};

} // namespace dwfm::store
