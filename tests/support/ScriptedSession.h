#pragma once

#include "FileStoreSession.h"
#include "SessionRegistry.h"
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
class ScriptedSession : public FileStoreSession,
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
    // The arguments of every call of `operation`, one "a,b,c" per call.
    QStringList argsOf(const QString &operation) const;
    void clearCalls() { m_calls.clear(); }

    // Registers a factory that hands out `session` for every SetupConnection.
    static void install(const std::shared_ptr<ScriptedSession> &session);

    // FileStoreSession and its services: each call recorded under its own name.
    bool Connect(const QString &strServer, const QString &strUser, const QString &strPassWord,
                 const QString &strCatalog, bool bSQLSecurity) override
    {
        return boolCall("Connect", {strServer, strUser, strPassWord, strCatalog, bSQLSecurity});
    }
    bool IsReadOnlySession() override { return boolCall("IsReadOnlySession", {}); }
    SessionDatabase &Database() override { return *this; }
    CurrentUserService &CurrentUser() override { return *this; }
    LocationsService &Locations() override { return *this; }
    ProjectsService &Projects() override { return *this; }

    // Unscripted, ConnectionProperty throws as for an unknown property.
    QVariant ConnectionProperty(const QString &strName) override;
    QString DefaultDatabase() override { return textCall("DefaultDatabase", {}); }
    QString LastError() override { return textCall("LastError", {}); }
    void ReportLastError() override { call("ReportLastError", {}); }

    QString CurrentUserID() override { return textCall("CurrentUserID", {}); }
    QString CurrentUserName() override { return textCall("CurrentUserName", {}); }
    bool IsAdministrator() override { return boolCall("IsAdministrator", {}); }
    bool GetRoots(RecordsetPtr &rs) override { return recordsetCall("GetRoots", rs, {}); }

    bool CreateLocation(const QString &strName, const QString &strDescription, qint32 lParentID,
                        qint32 &lNewID) override;
    bool DeleteLocation(qint32 id) override { return boolCall("DeleteLocation", {id}); }
    bool RenameLocation(qint32 id, const QString &name) override { return boolCall("RenameLocation", {id, name}); }
    QString GetLocationPath(qint32 id) override { return textCall("GetLocationPath", {id}); }
    QString GetServerRootFolder() override { return textCall("GetServerRootFolder", {}); }
    QString GetLocationDescription(qint32 id) override { return textCall("GetLocationDescription", {id}); }
    qint32 GetLocationKind(qint32 id) override { return call("GetLocationKind", {id}).result.toInt(); }
    bool GetChildLocations(RecordsetPtr &rs, qint32 id) override
    {
        return recordsetCall("GetChildLocations", rs, {id});
    }

    qint32 AddProject(const QString &strSourcePath, qint32 lLocationID, const QVariant &vFileName,
                      bool bCopyIntoStore, bool bLogHistory) override;
    bool CopyProject(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription,
                     QVariant &vNewProjectID) override;
    bool RenameProject(qint32 id, const QString &name) override { return boolCall("RenameProject", {id, name}); }
    bool DeleteProject(qint32 id) override { return boolCall("DeleteProject", {id}); }
    bool CheckOutProject(qint32 id, const QString &text) override { return boolCall("CheckOutProject", {id, text}); }
    bool CheckInProject(qint32 id, const QString &text, bool removeLocalCopy) override
    {
        return boolCall("CheckInProject", {id, text, removeLocalCopy});
    }
    bool CancelCheckOut(qint32 id, const QString &text, bool restoreLocalCopy) override
    {
        return boolCall("CancelCheckOut", {id, text, restoreLocalCopy});
    }
    bool GetViewCopy(qint32 lProjectID, QString &strPath) override;
    bool GetLocalCopy(qint32 hWnd, qint32 id, const QString &target) override
    {
        return boolCall("GetLocalCopy", {hWnd, id, target});
    }
    bool CopyProjectsToFolders(qint32 hWnd, const QList<qint32> &lProjectIDs,
                               const QStringList &strTargetPaths) override;
    QString GetProjectLocalFolder(qint32 id) override { return textCall("GetProjectLocalFolder", {id}); }
    QString GetProjectLocationPath(qint32 id) override { return textCall("GetProjectLocationPath", {id}); }
    QString GetProjectFileName(qint32 id) override { return textCall("GetProjectFileName", {id}); }
    bool GetProjectsInLocation(RecordsetPtr &rs, qint32 id) override
    {
        return recordsetCall("GetProjectsInLocation", rs, {id});
    }
    bool GetProjectsOfUser(RecordsetPtr &rs, const QString &userID, const QVariant &vOptional) override
    {
        return recordsetCall("GetProjectsOfUser", rs, {userID, vOptional});
    }
    bool GetProjectInfo(RecordsetPtr &rs, qint32 id) override { return recordsetCall("GetProjectInfo", rs, {id}); }
    bool GetProjectHistory(RecordsetPtr &rs, qint32 id) override
    {
        return recordsetCall("GetProjectHistory", rs, {id});
    }

protected:
    // A test's own session may script the optional capabilities the same way.
    Reply call(const char *operation, QVariantList args);
    bool boolCall(const char *operation, QVariantList args) { return call(operation, std::move(args)).result.toBool(); }
    QString textCall(const char *operation, QVariantList args)
    {
        return call(operation, std::move(args)).result.toString();
    }
    bool recordsetCall(const char *operation, RecordsetPtr &rs, QVariantList args);

private:
    std::vector<Call> m_calls;
    std::map<QString, Handler> m_handlers;
};

// The file-row fields of list queries, in the store's order.
QStringList fileRowFields();

} // namespace dwfm::test
