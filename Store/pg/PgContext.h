#pragma once

#include "SessionContext.h"
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

    QString locationPath(qint32 id) const override;
    ProjectRow file(qint32 id) const;
    bool heldByOther(const ProjectRow &file) const;

private:
    PgConnectionPtr m_db;
    QString m_server;
};

using PgContextPtr = std::shared_ptr<PgContext>;

} // namespace dwfm::store::pg
