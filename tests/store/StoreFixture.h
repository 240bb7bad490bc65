#pragma once

#include "DwFileStoreSession.h"
#include "admin/StoreAdministration.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

enum class Backend { Embedded, Server };

// A real store in a temporary folder, on the backend of the test's parameter (the server
// store on this program's throwaway PostgreSQL cluster, a fresh database per test; skipped
// when PostgreSQL is not installed), set up the same way on both: three users whose
// working roots lie in the temporary folder, anna (administrator), bert and lezer
// (read-only), passwords their names. Locations: "Projecten" with "Tekeningen" below it,
// and an archive "Archief". The embedded store's files lie in root(); the server store
// keeps them in its database.
class StoreTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    // The server store goes with its roles: roles hold for the whole cluster, and the next
    // test's store would refuse those of this one.
    void TearDown() override;

    bool embedded() const { return GetParam() == Backend::Embedded; }
    std::unique_ptr<dwfm::store::DwFileStoreSession> connect(const QString &user);
    // The administration: the store's own on the embedded store, the database
    // administrator's on the server.
    dwfm::store::StoreAdministration &admin() { return *m_admin; }
    // The folder of the embedded store's database; on both, the root folder's parent.
    QString storeFolder() const { return m_dir.filePath(QStringLiteral("store")); }
    QString root() const { return m_dir.filePath(QStringLiteral("store/Test")); }
    QString workingRoot(const QString &user) const { return m_dir.filePath(QStringLiteral("werk/") + user); }
    // Writes a file outside the store and answers its path.
    QString makeSource(const QString &name, const QByteArray &content);
    qint32 addFile(dwfm::store::DwFileStoreSession &s, const QString &name, const QByteArray &content, qint32 location);
    static qint32 makeLocation(dwfm::store::DwFileStoreSession &s, const QString &name, qint32 parent);
    // The file as the user's working copy of a file in Projecten/Tekeningen, and as the server's.
    QString localFile(const QString &user, const QString &name) const
    {
        return workingRoot(user) + QStringLiteral("/Projecten/Tekeningen/") + name;
    }
    QString serverFile(const QString &name) const { return root() + QStringLiteral("/Projecten/Tekeningen/") + name; }
    // The file's current content as the store keeps it (read behind the session's back: the
    // embedded store's server file, the server store's chunks); "<ontbreekt>" when missing.
    QByteArray storedContent(qint32 id);
    // What the store's own check (dwstore check) finds; empty when the store is sound.
    QStringList checkStore(bool deep = false);
    // Runs SQL as the database's owner: the embedded store's file, or the server's
    // administrator (statements shared by both dialects).
    void execAsOwner(const QByteArray &sql);

    // Everything the store keeps: every table row (of the server's chunks their hash) and
    // every file (path, content hash) under the store folder and the working roots. Equal
    // snapshots = nothing changed.
    QStringList snapshot() const;

    static QByteArray readFile(const QString &path);
    static void writeFile(const QString &path, const QByteArray &content);

    QTemporaryDir m_dir;
    QString m_server;    // what Connect takes: the folder or the server's address
    QString m_catalogue; // "Test", or the server's fresh database
    std::unique_ptr<dwfm::store::StoreAdministration> m_admin;
    std::unique_ptr<dwfm::store::DwFileStoreSession> anna, bert, lezer;
    qint32 projecten = 0, tekeningen = 0, archief = 0;
};

// Tests of what only the embedded store has (its database file, the steps it finishes
// after a crash, its check and repair), and of the server's own rights.
class EmbeddedStoreTest : public StoreTest {};
class ServerStoreTest : public StoreTest {};
