#pragma once

#include "RowShape.h"
#include "fs/FaultInjection.h"
#include "SessionContext.h"
#include "Recordset.h"
#include "pg/PgConnection.h"
#include "pg/PgContent.h"

#include <QString>

namespace dwfm::store::pg {

// A file's row with its current version and that version's content (a file of an older
// store whose content has not been moved in yet has neither).
struct PgFileRow : ProjectRow {
    qint32 version = 0;
    PgContent::Stored content;
};

// What the services of one server session share: besides the session's common part (whose
// root folder is a folder on this computer where a host puts a file to be registered), the
// connection and the server's name.
class PgContext : public SessionContext {
public:
    PgContext(PgConnectionPtr connection, QString server, QString catalogue, QString rootFolder, UserInfo user);

    PgConnection &db() const { return *m_db; }
    const PgConnectionPtr &connection() const { return m_db; }
    const QString &server() const { return m_server; }
    RecordsetPtr rows(const char *sql, const QVariantList &params, const RowShape &shape) const override;
    RecordsetPtr userRoots() const override;
    QString dataSource() const override { return m_server; }
    QString providerName() const override { return QStringLiteral("DwFileStore.PostgreSQL"); }

    QString locationPath(qint32 id) const override;
    PgFileRow file(qint32 id) const;
    ProjectRow fileRow(qint32 id) const override { return file(id); }
    // User IDs compare without regard to case.
    bool heldByOther(const ProjectRow &file) const override;

    // Runs `work` in one transaction, committed after it (just after the fault point
    // "before-commit", where a test makes the commit fail as a full disk would;
    // "after-commit" follows it); an error rolls it back and goes on to the caller.
    template <typename F>
    auto inTransaction(F &&work) -> decltype(work())
    {
        PgTransaction tx(db());
        auto answer = work();
        FaultInjection::check("before-commit");
        tx.commit();
        FaultInjection::point("after-commit");
        return answer;
    }

private:
    PgConnectionPtr m_db;
    QString m_server;
};

using PgContextPtr = std::shared_ptr<PgContext>;

// The boundary of a service call that is one change of the store: `work` runs in one
// transaction, committed after it (just after the fault point "before-commit", where a
// test makes the commit fail as a full disk would; "after-commit" follows it); an error
// rolls it back and becomes the last error, and the answer is `failed`.
template <typename F, typename R>
R committed(const PgContextPtr &context, F &&work, R failed)
{
    return guarded(context, [&] { return context->inTransaction(work); }, failed);
}

} // namespace dwfm::store::pg
