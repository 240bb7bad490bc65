#pragma once

#include "core/session/FileStoreSession.h"

#include <sqlite3.h>

#include <QString>

// A small store over a real SQLite database for the benchmark: the queries the location
// tree and the file list make, answered through record sets that step a prepared
// statement, as an embedded store does. Every other service is refused.
class SqliteBenchStore final : public dwfm::FileStoreSession,
                               public dwfm::SessionDatabase,
                               public dwfm::CurrentUserService,
                               public dwfm::LocationsService,
                               public dwfm::ProjectsService {
public:
    explicit SqliteBenchStore(sqlite3 *db) : m_db(db) {}

    // When set, child rows carry HasChildren and the tree asks no question per child.
    bool childRowsTellHasChildren = true;

    bool Connect(const QString &, const QString &, const QString &, const QString &, bool) override { return true; }
    bool IsReadOnlySession() override { return false; }
    SessionDatabase &Database() override { return *this; }
    CurrentUserService &CurrentUser() override { return *this; }
    LocationsService &Locations() override { return *this; }
    ProjectsService &Projects() override { return *this; }

    QVariant ConnectionProperty(const QString &) override { return QStringLiteral("bench"); }
    QString DefaultDatabase() override { return QStringLiteral("bench"); }
    QString LastError() override { return QString(); }
    void ReportLastError() override {}

    QString CurrentUserID() override { return QStringLiteral("JAN"); }
    QString CurrentUserName() override { return QStringLiteral("Jan"); }
    bool IsAdministrator() override { return false; }
    bool GetRoots(dwfm::RecordsetPtr &) override { return false; }

    bool CreateLocation(const QString &, const QString &, qint32, qint32 &) override { return refuse(); }
    bool DeleteLocation(qint32) override { return refuse(); }
    bool RenameLocation(qint32, const QString &) override { return refuse(); }
    QString GetLocationPath(qint32) override { return QString(); }
    QString GetServerRootFolder() override { return QString(); }
    QString GetLocationDescription(qint32 lLocationID) override;
    qint32 GetLocationKind(qint32) override { return KindFiles; }
    bool GetChildLocations(dwfm::RecordsetPtr &rsChildren, qint32 lLocationID) override;

    qint32 AddProject(const QString &, qint32, const QVariant &, bool, bool) override { return -1; }
    bool CopyProject(qint32, qint32, const QString &, QVariant &) override { return refuse(); }
    bool RenameProject(qint32, const QString &) override { return refuse(); }
    bool DeleteProject(qint32) override { return refuse(); }
    bool CheckOutProject(qint32, const QString &) override { return refuse(); }
    bool CheckInProject(qint32, const QString &, bool) override { return refuse(); }
    bool CancelCheckOut(qint32, const QString &, bool) override { return refuse(); }
    bool GetViewCopy(qint32, QString &) override { return refuse(); }
    bool GetLocalCopy(qint32, qint32, const QString &) override { return refuse(); }
    bool CopyProjectsToFolders(qint32, const QList<qint32> &, const QStringList &) override { return refuse(); }
    QString GetProjectLocalFolder(qint32) override { return QString(); }
    QString GetProjectLocationPath(qint32) override { return QString(); }
    QString GetProjectFileName(qint32) override { return QString(); }
    bool GetProjectsInLocation(dwfm::RecordsetPtr &rsProjects, qint32 lLocationID) override;
    bool GetProjectsOfUser(dwfm::RecordsetPtr &, const QString &, const QVariant &) override { return false; }
    bool GetProjectInfo(dwfm::RecordsetPtr &, qint32) override { return false; }
    bool GetProjectHistory(dwfm::RecordsetPtr &, qint32) override { return false; }

    // The statements of the benchmark's queries.
    static const char *filesQuery();
    static const char *childrenQuery();
    static const char *childrenWithFlagQuery();

private:
    static bool refuse() { return false; }
    // A record set over `sql` with one integer parameter; null when it has no rows.
    dwfm::RecordsetPtr query(const char *sql, qint32 parameter);

    sqlite3 *m_db;
};
