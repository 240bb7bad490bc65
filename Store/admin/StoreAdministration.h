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
    std::optional<QString> name{};
    std::optional<QString> password{};
    std::optional<bool> admin{};
    std::optional<bool> readOnly{};
    std::optional<QString> workingRoot{};
    std::optional<QList<qint32>> roots{};
};

// What becomes of the check-outs of a user who is removed: the administrator must say it
// when there are any.
enum class HeldFiles { Undecided, Release, Keep };

// What removing a user did.
struct RemovedUser {
    int released = 0; // check-outs undone
    int kept = 0;     // check-outs left in the removed user's name
    QString note;     // what else the administrator should know (a role that stays)
};

struct ImportResult {
    qint32 locationId = 0;
    int locations = 0;
    int files = 0;
    QStringList skipped; // with the reason
};

// Which earlier versions prune removes: those that match every rule given. A file's
// current version and the version its holder's check-out started from always stay.
struct PruneRules {
    std::optional<int> keep;          // beyond the newest `keep` versions of their file
    std::optional<int> olderThanDays; // made more than this many days ago
};

// What prune removed: versions, and the kept contents (with their bytes) that no version
// used any more.
struct PruneResult {
    int versions = 0;
    int contents = 0;
    qint64 bytes = 0;
};

// The contents a store keeps: each distinct content once, whatever number of files and
// versions use it.
struct ContentTotals {
    qint64 contents = 0;
    qint64 bytes = 0;
};

// The administration of a store, the same on both backends: its users, the kinds of its
// locations and importing folder trees. dwstore and the tests work through it; errors
// throw DwError.
class StoreAdministration {
public:
    virtual ~StoreAdministration() = default;

    // The session the administration acts through for locations and files.
    virtual FileStoreSession &store() = 0;
    // Refuses, as addUser would, a name that cannot become a new user.
    virtual void requireAddable(const QString &id) = 0;
    virtual void addUser(const QString &id, const UserChange &settings) = 0;
    virtual void changeUser(const QString &id, const UserChange &change) = 0;
    virtual QList<UserRecord> users() = 0;
    // Removes a user: their check-outs are released (history: undone for them) or kept in
    // their name as `held` says; with check-outs and Undecided nothing changes and the
    // refusal says how many there are. Their roots go, and on the server their role.
    virtual RemovedUser removeUser(const QString &id, HeldFiles held) = 0;
    // Whether `id` is taken as a user name (on the server: by any role of the cluster).
    virtual bool nameTaken(const QString &id) = 0;
    // Sets the kind of a location (e.g. makes it an archive that takes no new files).
    virtual void setLocationKind(qint32 locationId, qint32 kind) = 0;
    // The working root of a user who has none of their own.
    virtual QString defaultWorkingRoot(const QString &userId) = 0;

    // Removes earlier versions by `rules` and every kept content that no version uses any
    // more, in one decision of the store.
    virtual PruneResult prune(const PruneRules &rules);
    // How many distinct contents the store keeps, and their bytes.
    virtual ContentTotals storedContent();
    // Whether the store's records and contents agree: one line per finding, none when the
    // store is sound. `deep` also reads every stored content back against its hash.
    virtual QStringList check(bool deep);
    // Puts right what check(deep) finds; one line per thing done or left (what it cannot
    // mend it says, and it never deletes content).
    virtual QStringList repair(bool deep);
    // Where repair puts what it has to take out of the store (said before asking).
    virtual QString lostFolder();

    // Copies the folder tree `source` into the store as a new location under `parentId`
    // (0: a top location), with a sub-location per sub-folder. The store's own folders
    // (or one that holds them) are refused: they would be copied into themselves.
    ImportResult importTree(const QString &source, qint32 parentId);

protected:
    // The folders that belong to the store itself.
    virtual QStringList ownFolders() = 0;
    // Refuses to remove a user who holds `held` files while the administrator has not said
    // what becomes of them.
    static void requireDecision(const QString &id, qsizetype held, HeldFiles what);

private:
    void importInto(const QString &source, qint32 locationId, ImportResult &result);
};

} // namespace dwfm::store
