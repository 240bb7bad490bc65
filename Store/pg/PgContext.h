#pragma once

#include "SessionContext.h"
#include "pg/PgConnection.h"

#include <QString>

namespace dwfm::store::pg {

struct PgFile {
    qint32 id = 0;
    qint32 locationId = 0;
    QString fileName;
    bool checkedOut = false;
    QString userId;
    QString checkoutFolder;
};

// What the services of one server session share: besides the session's common part (with
// the store's root folder as the database knows it), the connection and the server's name.
class PgContext : public SessionContext {
public:
    PgContext(PgConnectionPtr connection, QString server, QString catalogue, QString rootFolder, UserInfo user);

    PgConnection &db() const { return *m_db; }
    const PgConnectionPtr &connection() const { return m_db; }
    const QString &server() const { return m_server; }

    // The location's path below the root folder; throws for an unknown location.
    QString locationPath(qint32 id) const;
    QString locationFolder(qint32 id) const;
    PgFile file(qint32 id) const;
    QString serverFile(const PgFile &file) const;
    bool heldByOther(const PgFile &file) const;

private:
    PgConnectionPtr m_db;
    QString m_server;
};

using PgContextPtr = std::shared_ptr<PgContext>;

} // namespace dwfm::store::pg
