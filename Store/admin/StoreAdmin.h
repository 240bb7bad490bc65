#pragma once

#include "DwFileStoreSession.h"
#include "admin/StoreAdministration.h"
#include "security/PasswordHasher.h"
#include "services/StoreContext.h"

#include <QList>
#include <QString>

#include <optional>

namespace dwfm::store {

// The administration of an embedded store: creating it, its users and importing folder
// trees, through a session opened as its administrator. Passwords are hashed with
// `iterations` rounds (fewer only for tests and benchmarks). Errors throw DwError.
class StoreAdmin final : public StoreAdministration {
public:
    // Creates an empty store (database and root folder) in `folder`; refuses to touch an
    // existing one.
    static void createStore(const QString &folder, const QString &catalogue);

    explicit StoreAdmin(std::shared_ptr<DwFileStoreSession> session, int iterations = PasswordHasher::DefaultIterations);

    DwFileStoreSession &session() { return *m_session; }
    FileStoreSession &store() override { return *m_session; }

    void requireAddable(const QString &id) override;
    void addUser(const QString &id, const UserChange &settings) override { addUser(id, settings, m_iterations); }
    void addUser(const QString &id, const UserChange &settings, int iterations);
    void changeUser(const QString &id, const UserChange &change) override { changeUser(id, change, m_iterations); }
    void changeUser(const QString &id, const UserChange &change, int iterations);
    QList<UserRecord> users() override;
    RemovedUser removeUser(const QString &id, HeldFiles held) override;
    bool nameTaken(const QString &id) override;
    void setLocationKind(qint32 locationId, qint32 kind) override;
    QString defaultWorkingRoot(const QString &userId) override;
    QStringList check(bool deep) override;
    QStringList repair(bool deep) override;
    QString lostFolder() override;

protected:
    QStringList ownFolders() override;

private:
    void applyRoots(const QString &id, const QList<qint32> &roots);
    std::shared_ptr<DwFileStoreSession> m_session;
    int m_iterations;
};

} // namespace dwfm::store
