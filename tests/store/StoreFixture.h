#pragma once

#include "DwFileStoreSession.h"
#include "admin/StoreAdmin.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A real store in a temporary folder with three users whose working roots lie in the same
// temporary folder: anna (administrator), bert and lezer (read-only). Passwords are the
// user names. Locations: "Projecten" (id projecten) with "Tekeningen" below it, and an
// archive "Archief".
class StoreTest : public ::testing::Test {
protected:
    void SetUp() override;

    std::unique_ptr<dwfm::store::DwFileStoreSession> connect(const QString &user);
    QString storeFolder() const { return m_dir.filePath(QStringLiteral("store")); }
    QString root() const;
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

    // Everything the store keeps: every table row and every file (path, size, content hash)
    // under the store folder and the working roots. Equal snapshots = nothing changed.
    QStringList snapshot() const;

    static QByteArray readFile(const QString &path);
    static void writeFile(const QString &path, const QByteArray &content);

    QTemporaryDir m_dir;
    std::unique_ptr<dwfm::store::DwFileStoreSession> anna, bert, lezer;
    qint32 projecten = 0, tekeningen = 0, archief = 0;
};
