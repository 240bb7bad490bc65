#include "ScriptedSession.h"

#include "platform/DwError.h"

namespace dwfm::test {

QStringList fileRowFields()
{
    return {QStringLiteral("Projectid"), QStringLiteral("FileName"), QStringLiteral("CheckedOut"),
            QStringLiteral("UserID"), QStringLiteral("Checkoutdate"), QStringLiteral("ComputerName"),
            QStringLiteral("ProjectCheckoutlocation"), QStringLiteral("CheckOutDescription"),
            QStringLiteral("Locked"), QStringLiteral("DefaultProject")};
}

ScriptedSession::ScriptedSession()
{
    answer(QStringLiteral("Connect"), true);
    answer(QStringLiteral("CurrentUserID"), "TEST");
    answer(QStringLiteral("CurrentUserName"), "Test Gebruiker");
}

ScriptedSession &ScriptedSession::on(const QString &operation, Handler handler)
{
    m_handlers[operation] = std::move(handler);
    return *this;
}

ScriptedSession &ScriptedSession::answer(const QString &operation, Reply reply)
{
    return on(operation, [reply](const QVariantList &) { return reply; });
}

ScriptedSession::Reply ScriptedSession::rowsReply(const QStringList &fields, const QList<QVariantList> &rows)
{
    Reply reply;
    reply.result = !rows.isEmpty();
    if (!rows.isEmpty()) {
        reply.recordset = [fields, rows]() -> RecordsetPtr {
            auto rs = MemoryRecordset::create(fields);
            for (const QVariantList &row : rows)
                rs->addRow(row);
            return rs;
        };
    }
    return reply;
}

ScriptedSession &ScriptedSession::answerRows(const QString &operation, const QStringList &fields,
                                             const QList<QVariantList> &rows)
{
    return answer(operation, rowsReply(fields, rows));
}

QStringList ScriptedSession::callNames() const
{
    QStringList names;
    for (const Call &c : m_calls)
        names << c.name;
    return names;
}

std::vector<ScriptedSession::Call> ScriptedSession::callsOf(const QString &operation) const
{
    std::vector<Call> found;
    for (const Call &c : m_calls) {
        if (c.name == operation)
            found.push_back(c);
    }
    return found;
}

void ScriptedSession::install(const std::shared_ptr<ScriptedSession> &session)
{
    SessionRegistry::registerFactory([session]() -> FileStoreSessionPtr { return session; });
}

ScriptedSession::Reply ScriptedSession::call(const QString &operation, QVariantList args)
{
    m_calls.push_back({operation, args});
    const auto it = m_handlers.find(operation);
    if (it == m_handlers.end())
        return {};
    return it->second(m_calls.back().args);
}

bool ScriptedSession::boolCall(const QString &operation, QVariantList args)
{
    return call(operation, std::move(args)).result.toBool();
}

QString ScriptedSession::textCall(const QString &operation, QVariantList args)
{
    return call(operation, std::move(args)).result.toString();
}

bool ScriptedSession::recordsetCall(const QString &operation, RecordsetPtr &rs, QVariantList args)
{
    const Reply reply = call(operation, std::move(args));
    rs = reply.recordset ? reply.recordset() : nullptr;
    return reply.result.toBool();
}

bool ScriptedSession::Connect(const QString &strServer, const QString &strUser, const QString &strPassWord,
                              const QString &strCatalog, bool bSQLSecurity)
{
    return boolCall(QStringLiteral("Connect"), {strServer, strUser, strPassWord, strCatalog, bSQLSecurity});
}

bool ScriptedSession::IsReadOnlySession() { return boolCall(QStringLiteral("IsReadOnlySession"), {}); }
SessionDatabase &ScriptedSession::Database() { return *this; }
CurrentUserService &ScriptedSession::CurrentUser() { return *this; }
LocationsService &ScriptedSession::Locations() { return *this; }
ProjectsService &ScriptedSession::Projects() { return *this; }

QVariant ScriptedSession::ConnectionProperty(const QString &strName)
{
    const auto it = m_handlers.find(QStringLiteral("ConnectionProperty"));
    const QVariant value = call(QStringLiteral("ConnectionProperty"), {strName}).result;
    if (it == m_handlers.end())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Onbekende eigenschap: ") + strName);
    return value;
}

QString ScriptedSession::DefaultDatabase() { return textCall(QStringLiteral("DefaultDatabase"), {}); }
QString ScriptedSession::LastError() { return textCall(QStringLiteral("LastError"), {}); }
void ScriptedSession::ReportLastError() { call(QStringLiteral("ReportLastError"), {}); }

QString ScriptedSession::CurrentUserID() { return textCall(QStringLiteral("CurrentUserID"), {}); }
QString ScriptedSession::CurrentUserName() { return textCall(QStringLiteral("CurrentUserName"), {}); }
bool ScriptedSession::IsAdministrator() { return boolCall(QStringLiteral("IsAdministrator"), {}); }

bool ScriptedSession::GetRoots(RecordsetPtr &rsRoots)
{
    return recordsetCall(QStringLiteral("GetRoots"), rsRoots, {});
}

bool ScriptedSession::CreateLocation(const QString &strName, const QString &strDescription, qint32 lParentID,
                                     qint32 &lNewID)
{
    const Reply reply = call(QStringLiteral("CreateLocation"), {strName, strDescription, lParentID});
    if (!reply.outs.isEmpty())
        lNewID = reply.outs.first().toInt();
    return reply.result.toBool();
}

bool ScriptedSession::DeleteLocation(qint32 lLocationID)
{
    return boolCall(QStringLiteral("DeleteLocation"), {lLocationID});
}

bool ScriptedSession::RenameLocation(qint32 lLocationID, const QString &strName)
{
    return boolCall(QStringLiteral("RenameLocation"), {lLocationID, strName});
}

QString ScriptedSession::GetLocationPath(qint32 lLocationID)
{
    return textCall(QStringLiteral("GetLocationPath"), {lLocationID});
}

QString ScriptedSession::GetServerRootFolder() { return textCall(QStringLiteral("GetServerRootFolder"), {}); }

QString ScriptedSession::GetLocationDescription(qint32 lLocationID)
{
    return textCall(QStringLiteral("GetLocationDescription"), {lLocationID});
}

qint32 ScriptedSession::GetLocationKind(qint32 lLocationID)
{
    return call(QStringLiteral("GetLocationKind"), {lLocationID}).result.toInt();
}

bool ScriptedSession::GetChildLocations(RecordsetPtr &rsChildren, qint32 lLocationID)
{
    return recordsetCall(QStringLiteral("GetChildLocations"), rsChildren, {lLocationID});
}

qint32 ScriptedSession::AddProject(const QString &strSourcePath, qint32 lLocationID, const QVariant &vFileName,
                                   bool bCopyIntoStore, bool bLogHistory)
{
    const Reply reply =
        call(QStringLiteral("AddProject"), {strSourcePath, lLocationID, vFileName, bCopyIntoStore, bLogHistory});
    return reply.result.isValid() ? reply.result.toInt() : -1;
}

bool ScriptedSession::CopyProject(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription,
                                  QVariant &vNewProjectID)
{
    const Reply reply = call(QStringLiteral("CopyProject"), {lProjectID, lTargetLocationID, strDescription});
    if (!reply.outs.isEmpty())
        vNewProjectID = reply.outs.first();
    return reply.result.toBool();
}

bool ScriptedSession::RenameProject(qint32 lProjectID, const QString &strName)
{
    return boolCall(QStringLiteral("RenameProject"), {lProjectID, strName});
}

bool ScriptedSession::DeleteProject(qint32 lProjectID)
{
    return boolCall(QStringLiteral("DeleteProject"), {lProjectID});
}

bool ScriptedSession::CheckOutProject(qint32 lProjectID, const QString &strDescription)
{
    return boolCall(QStringLiteral("CheckOutProject"), {lProjectID, strDescription});
}

bool ScriptedSession::CheckInProject(qint32 lProjectID, const QString &strDescription, bool bRemoveLocalCopy)
{
    return boolCall(QStringLiteral("CheckInProject"), {lProjectID, strDescription, bRemoveLocalCopy});
}

bool ScriptedSession::CancelCheckOut(qint32 lProjectID, const QString &strDescription, bool bRestoreLocalCopy)
{
    return boolCall(QStringLiteral("CancelCheckOut"), {lProjectID, strDescription, bRestoreLocalCopy});
}

bool ScriptedSession::GetViewCopy(qint32 lProjectID, QString &strPath)
{
    const Reply reply = call(QStringLiteral("GetViewCopy"), {lProjectID});
    if (!reply.outs.isEmpty())
        strPath = reply.outs.first().toString();
    return reply.result.toBool();
}

bool ScriptedSession::GetLocalCopy(qint32 hWnd, qint32 lProjectID, const QString &strTargetPath)
{
    return boolCall(QStringLiteral("GetLocalCopy"), {hWnd, lProjectID, strTargetPath});
}

bool ScriptedSession::CopyProjectsToFolders(qint32 hWnd, const QList<qint32> &lProjectIDs,
                                            const QStringList &strTargetPaths)
{
    QVariantList ids;
    for (qint32 id : lProjectIDs)
        ids << id;
    return boolCall(QStringLiteral("CopyProjectsToFolders"), {hWnd, ids, strTargetPaths});
}

QString ScriptedSession::GetProjectLocalFolder(qint32 lProjectID)
{
    return textCall(QStringLiteral("GetProjectLocalFolder"), {lProjectID});
}

QString ScriptedSession::GetProjectLocationPath(qint32 lProjectID)
{
    return textCall(QStringLiteral("GetProjectLocationPath"), {lProjectID});
}

QString ScriptedSession::GetProjectFileName(qint32 lProjectID)
{
    return textCall(QStringLiteral("GetProjectFileName"), {lProjectID});
}

bool ScriptedSession::GetProjectsInLocation(RecordsetPtr &rsProjects, qint32 lLocationID)
{
    return recordsetCall(QStringLiteral("GetProjectsInLocation"), rsProjects, {lLocationID});
}

bool ScriptedSession::GetProjectsOfUser(RecordsetPtr &rsProjects, const QString &strUserID,
                                        const QVariant &vOptional)
{
    return recordsetCall(QStringLiteral("GetProjectsOfUser"), rsProjects, {strUserID, vOptional});
}

bool ScriptedSession::GetProjectInfo(RecordsetPtr &rsInfo, qint32 lProjectID)
{
    return recordsetCall(QStringLiteral("GetProjectInfo"), rsInfo, {lProjectID});
}

bool ScriptedSession::GetProjectHistory(RecordsetPtr &rsHistory, qint32 lProjectID)
{
    return recordsetCall(QStringLiteral("GetProjectHistory"), rsHistory, {lProjectID});
}

} // namespace dwfm::test
