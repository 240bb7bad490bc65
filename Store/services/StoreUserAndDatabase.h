#pragma once

#include "FileStoreSession.h"
#include "SessionContext.h"

namespace dwfm::store {

// The connection's properties and its last error, for either backend.
class StoreDatabase final : public SessionDatabase {
public:
    explicit StoreDatabase(ContextRef context) : m_context(std::move(context)) {}

    // "Data Source" (the store folder or the server), "Initial Catalog", "User ID" and
    // "Provider".
    QVariant ConnectionProperty(const QString &strName) override;
    QString DefaultDatabase() override;
    QString LastError() override;
    qint32 LastErrorNumber() override;
    // Hands the last error text to SessionRegistry::reportLastError; nothing when there is none.
    void ReportLastError() override;

    // The reason the last Connect failed (cleared by a successful one).
    void setConnectError(qint32 number, const QString &text)
    {
        m_connectNumber = number;
        m_connectError = text;
    }

private:
    ContextRef m_context;
    QString m_connectError;
    qint32 m_connectNumber = 0;
};

// The logged-on user and the locations shown at the top of the user's tree.
class StoreCurrentUser final : public CurrentUserService {
public:
    explicit StoreCurrentUser(ContextRef context) : m_context(std::move(context)) {}

    QString CurrentUserID() override;
    QString CurrentUserName() override;
    bool IsAdministrator() override;
    // The user's own roots; a user without roots of their own gets every top location.
    bool GetRoots(RecordsetPtr &rsRoots) override;

private:
    ContextRef m_context;
};

} // namespace dwfm::store
