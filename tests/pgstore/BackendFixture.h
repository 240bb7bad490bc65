#pragma once

#include "DwFileStoreSession.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

enum class Backend { Embedded, Server };

// One store on the backend of the test's parameter, set up the same way on both: users
// anna (administrator), bert and lezer (read-only), passwords their names, working roots
// in the temporary folder; locations Projecten and the archive Archief. A server test is
// skipped when PostgreSQL is not installed.
class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;

    std::unique_ptr<dwfm::store::DwFileStoreSession> connect(const QString &user);
    // Adds a file with this content to a location as `session`'s user; its ID.
    qint32 addFile(dwfm::FileStoreSession &session, qint32 location, const QString &name, const QByteArray &content);
    QString workingRoot(const QString &user) const { return m_dir.filePath(QStringLiteral("werk/") + user); }
    QString serverAddress() const { return m_server; }
    QString catalogue() const { return m_catalogue; }

    static QByteArray readFile(const QString &path);
    static void writeFile(const QString &path, const QByteArray &content);

    QTemporaryDir m_dir;
    QString m_server;    // the folder or the server's address
    QString m_catalogue;
    std::unique_ptr<dwfm::store::DwFileStoreSession> anna, bert, lezer;
    qint32 projecten = 0, archief = 0;
};

// The name of a fresh database for a server store, unique in the cluster.
QString freshCatalogue();
