#include "ScriptedSession.h"

#include "DwError.h"

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

QStringList ScriptedSession::argsOf(const QString &operation) const
{
    QStringList calls;
    for (const Call &c : callsOf(operation)) {
        QStringList args;
        for (const QVariant &arg : c.args)
            args << arg.toString();
        calls << args.join(QLatin1Char(','));
    }
    return calls;
}

void ScriptedSession::install(const std::shared_ptr<ScriptedSession> &session)
{
    SessionRegistry::registerFactory([session]() -> FileStoreSessionPtr { return session; });
}

ScriptedSession::Reply ScriptedSession::call(const char *operation, QVariantList args)
{
    m_calls.push_back({QString::fromLatin1(operation), std::move(args)});
    const auto it = m_handlers.find(m_calls.back().name);
    return it == m_handlers.end() ? Reply() : it->second(m_calls.back().args);
}

bool ScriptedSession::recordsetCall(const char *operation, RecordsetPtr &rs, QVariantList args)
{
    const Reply reply = call(operation, std::move(args));
    rs = reply.recordset ? reply.recordset() : nullptr;
    return reply.result.toBool();
}

QVariant ScriptedSession::ConnectionProperty(const QString &strName)
{
    const bool scripted = m_handlers.count(QStringLiteral("ConnectionProperty")) > 0;
    const QVariant value = call("ConnectionProperty", {strName}).result;
    if (!scripted)
        throw DwError(DwError::ItemNotFound, QStringLiteral("Onbekende eigenschap: ") + strName);
    return value;
}

bool ScriptedSession::CreateLocation(const QString &strName, const QString &strDescription, qint32 lParentID,
                                     qint32 &lNewID)
{
    const Reply reply = call("CreateLocation", {strName, strDescription, lParentID});
    if (!reply.outs.isEmpty())
        lNewID = reply.outs.first().toInt();
    return reply.result.toBool();
}

qint32 ScriptedSession::AddProject(const QString &strSourcePath, qint32 lLocationID, const QVariant &vFileName,
                                   bool bCopyIntoStore, bool bLogHistory)
{
    const Reply reply = call("AddProject", {strSourcePath, lLocationID, vFileName, bCopyIntoStore, bLogHistory});
    return reply.result.isValid() ? reply.result.toInt() : -1;
}

bool ScriptedSession::CopyProject(qint32 lProjectID, qint32 lTargetLocationID, const QString &strDescription,
                                  QVariant &vNewProjectID)
{
    const Reply reply = call("CopyProject", {lProjectID, lTargetLocationID, strDescription});
    if (!reply.outs.isEmpty())
        vNewProjectID = reply.outs.first();
    return reply.result.toBool();
}

bool ScriptedSession::GetViewCopy(qint32 lProjectID, QString &strPath)
{
    const Reply reply = call("GetViewCopy", {lProjectID});
    if (!reply.outs.isEmpty())
        strPath = reply.outs.first().toString();
    return reply.result.toBool();
}

bool ScriptedSession::CopyProjectsToFolders(qint32 hWnd, const QList<qint32> &lProjectIDs,
                                            const QStringList &strTargetPaths)
{
    QVariantList ids;
    for (qint32 id : lProjectIDs)
        ids << id;
    return boolCall("CopyProjectsToFolders", {hWnd, ids, strTargetPaths});
}

} // namespace dwfm::test
