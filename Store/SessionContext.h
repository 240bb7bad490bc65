#pragma once

#include "Recordset.h"
#include "RowShape.h"
#include "fs/AnchoredPath.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <exception>
#include <functional>
#include <memory>

namespace dwfm::store {

// The user a session acts for.
struct UserInfo {
    QString id;
    QString name;
    bool admin = false;
    bool readOnly = false;
    QString workingRoot; // empty: the default working root
};

// A file's row in the store.
struct ProjectRow {
    qint32 id = 0;
    qint32 locationId = 0;
    QString fileName;
    bool checkedOut = false;
    QString userId;
    QString checkoutFolder;
    bool locked = false;
};

// What the services of one session share whichever database lies behind it: the
// catalogue, the store's root folder, who is logged on, this computer's name and the last
// error. Services throw DwError inside and turn it into a False answer plus the last error
// at their boundary (guard).
class SessionContext {
public:
    SessionContext(QString catalogue, QString rootFolder, UserInfo user);
    virtual ~SessionContext() = default;

    const QString &catalogue() const { return m_catalogue; }
    const QString &rootFolder() const { return m_rootFolder; }
    const UserInfo &user() const { return m_user; }
    const QString &computerName() const { return m_computerName; }
    // The folder under which this user's working copies lie.
    QString workingRoot() const;
    // Where the working copies of a location's files go when nobody has one yet.
    QString workingFolder(qint32 locationId) const;

    QString lastError() const { return m_lastError; }
    qint32 lastErrorNumber() const { return m_lastErrorNumber; }
    void setLastError(qint32 number, const QString &text);

    // Runs `work`; an error becomes the last error and the answer `failed`.
    template <typename F, typename R>
    R guard(F &&work, R failed)
    {
        try {
            return work();
        } catch (const std::exception &e) {
            recordError(e);
            return failed;
        }
    }
    void recordError(const std::exception &e);

    // What each backend answers in its own engine's terms.
    // The location's path below the root folder, parts joined by "/"; throws DwError (item
    // not found) for an unknown location.
    virtual QString locationPath(qint32 id) const = 0;
    // A file's row; throws DwError (item not found) for an unknown file.
    virtual ProjectRow fileRow(qint32 id) const = 0;
    // True when the file is checked out by someone other than this session's user.
    virtual bool heldByOther(const ProjectRow &row) const = 0;
    // Runs a read (parameters as `?`) and answers all its rows as a record set of `shape`;
    // null when there are none.
    virtual RecordsetPtr rows(const char *sql, const QVariantList &params, const RowShape &shape) const = 0;
    // The user's roots (RowShapes::roots): their own, or every top location without them.
    virtual RecordsetPtr userRoots() const = 0;
    // Where the store is, as the connection property "Data Source" shows it, and which
    // backend serves it ("Provider").
    virtual QString dataSource() const = 0;
    virtual QString providerName() const = 0;

    QString locationFolder(qint32 id) const;
    QString serverFile(const ProjectRow &row) const;

    // The folder the store's files are anchored at: nothing below it is followed as a link.
    // The root folder here; the embedded store anchors at its store folder, which holds the
    // root, the staging folder and the database.
    virtual QString anchorFolder() const { return m_rootFolder; }
    // A path below the anchor folder, and the server file of a row as one.
    AnchoredPath inStore(const QString &path) const;
    AnchoredPath serverPath(const ProjectRow &row) const { return inStore(serverFile(row)); }
    // A folder of this user's working copies, anchored at the working root when it lies
    // below it (one checked out before the root was changed is anchored at itself).
    AnchoredPath workingFolderPath(const QString &folder) const;

protected:
    // The names from a location up to its top, top first, each with its parent's ID; the
    // one parameter is the location's ID.
    static const char *const LocationPathSql;
    // The path from the rows of LocationPathSql: `topParent`, the parent ID of their first
    // row, is 0 when they reach the top.
    static QString joinLocationPath(qint32 id, const QStringList &parts, qint64 topParent);

private:
    QString m_catalogue;
    QString m_rootFolder;
    UserInfo m_user;
    QString m_computerName;
    QString m_lastError;
    qint32 m_lastErrorNumber = 0;
};

// A service's view of its session's context: the session makes a new one on every Connect
// (and drops it when one fails), so a service reads it through the session's own pointer.
class ContextRef {
public:
    template <typename Context>
    ContextRef(const std::shared_ptr<Context> &context) // NOLINT: made from the session's member
        : m_get([&context]() -> SessionContext * { return context.get(); })
    {
    }
    SessionContext *get() const { return m_get(); }
    SessionContext *operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }

private:
    std::function<SessionContext *()> m_get;
};

// The boundary of every service call: `failed` without a connection, otherwise the
// answer of `work`, or `failed` plus the last error when it throws.
template <typename Context, typename F, typename R>
R guarded(const Context &context, F &&work, R failed)
{
    if (!context)
        return failed;
    return context->guard(std::forward<F>(work), failed);
}

} // namespace dwfm::store
