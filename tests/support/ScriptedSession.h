#pragma once

#include "core/session/FileStoreSession.h"
#include "core/session/SessionRegistry.h"
#include "QtPrinters.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace dwfm::test {

// A file store session for tests. Every call is recorded with its arguments, and each
// operation answers what the test scripted for it: a value, a record set (or none), out
// values, or an error thrown. Unscripted operations give the neutral answer: False, -1
// for AddProject, 0, empty text and no record set.
class ScriptedSession final : public FileStoreSession,
                              public SessionDatabase,
                              public CurrentUserService,
                              public LocationsService,
                              public ProjectsService {
public:
    struct Call {
        QString name;
        QVariantList args;
    };

    // One scripted answer. `recordset` makes a fresh record set per call (null = none);
    // `outs` fills the out arguments (new ID, path, ...), in argument order.
    struct Reply {
        QVariant result;
        std::function<RecordsetPtr()> recordset;
        QVariantList outs;

        Reply() = default;
        Reply(QVariant value) : result(std::move(value)) {}
        Reply(bool value) : result(value) {}
        Reply(int value) : result(value) {}
        Reply(const QString &text) : result(text) {}
        Reply(const char *text) : result(QString::fromUtf8(text)) {}
    };
    using Handler = std::function<Reply(const QVariantList &args)>;

    ScriptedSession();

    // Scripts `operation` to answer through `handler` on every call.
    ScriptedSession &on(const QString &operation, Handler handler);
    // Scripts a fixed answer.
    ScriptedSession &answer(const QString &operation, Reply reply);
    // Scripts a record set made of `fields` and `rows` (a fresh copy per call); the result
    // is True, or False with no record set when `rows` is empty.
    ScriptedSession &answerRows(const QString &operation, const QStringList &fields,
                                const QList<QVariantList> &rows);

    // The answer of a query with these rows: True with a record set, or False with none
    // when there are no rows.
    static Reply rowsReply(const QStringList &fields, const QList<QVariantList> &rows);

    const std::vector<Call> &calls() const { return m_calls; }
    QStringList callNames() const;
    // The calls of one operation, in order.
    std::vector<Call> callsOf(const QString &operation) const;
    int count(const QString &operation) const { return int(callsOf(operation).size()); }
    void clearCalls() { m_calls.clear(); }

    // Registers a factory that hands out `session` for every SetupConnection.
    static void install(const std::shared_ptr<ScriptedSession> &session);

    // FileStoreSession
    bool Connect(const QString &strServer, const QString &strUser, const QString &strPassWord,
                 const QString &strCatalog, bool bSQLSecurity) override;
    bool IsReadOnlySession() override;
    SessionDatabase &Database() override;
    CurrentUserService &CurrentUser() override;
    LocationsService &Locations() override;
    ProjectsService &Projects() override;

    // SessionDatabase
    QVariant ConnectionProperty(const QString &strName) override;
    QString DefaultDatabase() override;
    QString LastError() override;
    void ReportLastError() override;

    // CurrentUserService
    QString CurrentUserID() override;
    QString CurrentUserName() override;
    bool IsAdministrator() override;
    bool GetRoots(RecordsetPtr &rsRoots) override;

    // LocationsService
    bool CreateLocation(const QString &strName, const QString &strDescription, qint32 lParentID,
                        qint32 &lNewID) override;
    bool DeleteLocation(qint32 lLocationID) override;
    bool RenameLocation(qint32 lLocationID, const QString &strName) override;
    QString GetLocationPath(qint32 lLocationID) override;
    QString GetServerRootFolder() override;
    QString GetLocationDescription(qint32 lLocationID) override;
    qint32 GetLocationKind(qint32 lLocationID) override;
    bool GetChildLocations(RecordsetPtr &rsChildren, qint32 lLocationID) override;

    // ProjectsService
    qint32 AddProject(const QString &strSourcePath, qint32 lLocationID, const QVariant &vFileName,
                      bool bCopyIntoStore, bool bLogHistory) override;
    bool CopyProject(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription,
                     QVariant &vNewProjectID) override;
    bool RenameProject(qint32 lProjectID, const QString &strName) override;
    bool DeleteProject(qint32 lProjectID) override;
    bool CheckOutProject(qint32 lProjectID, const QString &strDescription) override;
    bool CheckInProject(qint32 lProjectID, const QString &strDescription, bool bRemoveLocalCopy) override;
    bool CancelCheckOut(qint32 lProjectID, const QString &strDescription, bool bRestoreLocalCopy) override;
    bool GetViewCopy(qint32 lProjectID, QString &strPath) override;
    bool GetLocalCopy(qint32 hWnd, qint32 lProjectID, const QString &strTargetPath) override;
    bool CopyProjectsToFolders(qint32 hWnd, const QList<qint32> &lProjectIDs,
                               const QStringList &strTargetPaths) override;
    QString GetProjectLocalFolder(qint32 lProjectID) override;
    QString GetProjectLocationPath(qint32 lProjectID) override;
    QString GetProjectFileName(qint32 lProjectID) override;
    bool GetProjectsInLocation(RecordsetPtr &rsProjects, qint32 lLocationID) override;
    bool GetProjectsOfUser(RecordsetPtr &rsProjects, const QString &strUserID,
                           const QVariant &vOptional) override;
    bool GetProjectInfo(RecordsetPtr &rsInfo, qint32 lProjectID) override;
    bool GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID) override;

private:
    Reply call(const QString &operation, QVariantList args);
    bool boolCall(const QString &operation, QVariantList args);
    QString textCall(const QString &operation, QVariantList args);
    bool recordsetCall(const QString &operation, RecordsetPtr &rs, QVariantList args);

    std::vector<Call> m_calls;
    std::map<QString, Handler> m_handlers;
};

// The file-row fields of list queries, in the store's order.
QStringList fileRowFields();

} // namespace dwfm::test
