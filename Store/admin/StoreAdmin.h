#pragma once

#include "DwFileStoreSession.h"
#include "security/PasswordHasher.h"
#include "services/StoreContext.h"

#include <QList>
#include <QString>

#include <optional>

namespace dwfm::store {

// A user as the administration lists it: what a session knows of the user, and whether a
// password is set and which roots the user has.
struct UserRecord : UserInfo {
    bool hasPassword = false;
    QList<qint32> roots;
};

// Changes of the user settings of a user; fields left empty stay as they are.
struct UserChange {
    std::optional<QString> name;
    std::optional<QString> password;
    std::optional<bool> admin;
    std::optional<bool> readOnly;
    std::optional<QString> workingRoot;
    std::optional<QList<qint32>> roots;
};

struct ImportResult {
    qint32 locationId = 0;
    int locations = 0;
    int files = 0;
    QStringList skipped; // with the reason
};

// The administration of a store: creating it, its users and importing folder trees. Used
// by dwstore and the tests; errors throw DwError.
class StoreAdmin {
public:
    // Creates an empty store (database and root folder) in `folder`; refuses to touch an
    // existing one.
    static void createStore(const QString &folder, const QString &catalogue);

    explicit StoreAdmin(std::shared_ptr<DwFileStoreSession> session);

    DwFileStoreSession &session() { return *m_session; }

    void addUser(const QString &id, const UserChange &settings, int iterations = PasswordHasher::DefaultIterations);
    void changeUser(const QString &id, const UserChange &change, int iterations = PasswordHasher::DefaultIterations);
    QList<UserRecord> users();

    // Sets the kind of a location (e.g. makes it an archive that takes no new files).
    void setLocationKind(qint32 locationId, qint32 kind);

    // Copies the folder tree `source` into the store as a new location under `parentId`
    // (0: a top location), with a sub-location per sub-folder.
    ImportResult importTree(const QString &source, qint32 parentId);

private:
    void importInto(const QString &source, qint32 locationId, ImportResult &result);
    void applyRoots(const QString &id, const QList<qint32> &roots);
    std::shared_ptr<DwFileStoreSession> m_session;
};

} // namespace dwfm::store
