#pragma once

#include "pg/PgConnection.h"

#include <QString>

#include <exception>

namespace dwfm::store::pg {

// The logged-on user of a server session.
struct PgUser {
    QString id;
    QString name;
    bool admin = false;
    bool readOnly = false;
    QString workingRoot;
};

struct PgFile {
    qint32 id = 0;
    qint32 locationId = 0;
    QString fileName;
    bool checkedOut = false;
    QString userId;
    QString checkoutFolder;
};

// What the services of one server session share: the connection, the store's root
// folder as the database knows it, the user and the last error.
class PgContext {
public:
    PgContext(PgConnectionPtr connection, QString server, QString catalogue, QString rootFolder, PgUser user);

    PgConnection &db() const { return *m_db; }
    const PgConnectionPtr &connection() const { return m_db; }
    const QString &server() const { return m_server; }
    const QString &catalogue() const { return m_catalogue; }
    const QString &rootFolder() const { return m_rootFolder; }
    const PgUser &user() const { return m_user; }
    const QString &computerName() const { return m_computerName; }
    QString workingRoot() const;

    QString lastError() const { return m_lastError; }
    qint32 lastErrorNumber() const { return m_lastErrorNumber; }
    void setLastError(qint32 number, const QString &text);

    // Runs `work`; an error becomes the last error and the answer `failed`.
    template <typename F, typename R>
    R guard(F &&work, R failed)
    {
        try {
            return work();
        } catch (const std::exception &e) {
            recordError(e);
            return failed;
        }
    }
    void recordError(const std::exception &e);

    // The location's path below the root folder; throws for an unknown location.
    QString locationPath(qint32 id) const;
    QString locationFolder(qint32 id) const;
    PgFile file(qint32 id) const;
    QString serverFile(const PgFile &file) const;
    bool heldByOther(const PgFile &file) const;

private:
    PgConnectionPtr m_db;
    QString m_server;
    QString m_catalogue;
    QString m_rootFolder;
    PgUser m_user;
    QString m_computerName;
    QString m_lastError;
    qint32 m_lastErrorNumber = 0;
};

using PgContextPtr = std::shared_ptr<PgContext>;

template <typename F, typename R>
R pgGuarded(const PgContextPtr &context, F &&work, R failed)
{
    if (!context)
        return failed;
    return context->guard(std::forward<F>(work), failed);
}

} // namespace dwfm::store::pg
