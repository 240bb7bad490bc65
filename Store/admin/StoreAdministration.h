#pragma once

#include "FileStoreSession.h"

#include "services/StoreContext.h"

#include <QList>
#include <QString>
#include <QStringList>

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

// The administration of a store, the same on both backends: its users, the kinds of its
// locations and importing folder trees. dwstore and the tests work through it; errors
// throw DwError.
class StoreAdministration {
public:
    virtual ~StoreAdministration() = default;

    // The session the administration acts through for locations and files.
    virtual FileStoreSession &store() = 0;
    virtual void addUser(const QString &id, const UserChange &settings) = 0;
    virtual void changeUser(const QString &id, const UserChange &change) = 0;
    virtual QList<UserRecord> users() = 0;
    // Sets the kind of a location (e.g. makes it an archive that takes no new files).
    virtual void setLocationKind(qint32 locationId, qint32 kind) = 0;
    // The working root of a user who has none of their own.
    virtual QString defaultWorkingRoot(const QString &userId) = 0;

    // Copies the folder tree `source` into the store as a new location under `parentId`
    // (0: a top location), with a sub-location per sub-folder. The store's own folders
    // (or one that holds them) are refused: they would be copied into themselves.
    ImportResult importTree(const QString &source, qint32 parentId);

protected:
    // The folders that belong to the store itself.
    virtual QStringList ownFolders() = 0;

private:
    void importInto(const QString &source, qint32 locationId, ImportResult &result);
};

} // namespace dwfm::store
