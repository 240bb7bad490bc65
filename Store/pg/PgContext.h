#pragma once

#include "RowShape.h"
#include "SessionContext.h"
#include "Recordset.h"
#include "pg/PgConnection.h"

#include <QString>

namespace dwfm::store::pg {

// What the services of one server session share: besides the session's common part (with
// the store's root folder as the database knows it), the connection and the server's name.
class PgContext : public SessionContext {
public:
    PgContext(PgConnectionPtr connection, QString server, QString catalogue, QString rootFolder, UserInfo user);

    PgConnection &db() const { return *m_db; }
    const PgConnectionPtr &connection() const { return m_db; }
    const QString &server() const { return m_server; }
    // Runs a query and answers its rows as a record set of `shape`.
    RecordsetPtr rows(const char *sql, const QVariantList &params, const RowShape &shape) const;

    QString locationPath(qint32 id) const override;
    ProjectRow file(qint32 id) const;
    bool heldByOther(const ProjectRow &file) const;

private:
    PgConnectionPtr m_db;
    QString m_server;
};

using PgContextPtr = std::shared_ptr<PgContext>;

} // namespace dwfm::store::pg
