#include "services/PendingWork.h"

#include "StoreFolders.h"
#include "fs/FaultInjection.h"
#include "fs/FileOps.h"
#include "DwError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSet>

#include <mutex>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace dwfm::store::PendingWork {

namespace {
QString startOf(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray stat = f.readAll();
    // Field 22 (start time); the fields after the command's closing parenthesis start at 3.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    return fields.size() > 19 ? QString::fromLatin1(fields[19]) : QString();
}

// Runs a small change whose loss in a power failure would do no harm: it only forgets
// a finished step (finding it again does nothing). Not flushed, so it costs no wait.
template <typename F>
void unflushed(const SqliteDbPtr &db, F &&work)
{
    WriteTransaction tx(db, WriteTransaction::Deferred);
    work();
    tx.commit();
}

QString absolute(const QString &storeFolder, const QString &relative)
{
    return QDir::cleanPath(FileOps::join(storeFolder, relative));
}

// Whether the database still says what the step brings about; a step that no longer
// applies is dropped (its staged file, a copy, goes with it).
bool applies(const SqliteDbPtr &db, const Step &step)
{
    switch (step.kind) {
    case Replace:
    case Place: {
        Statement q(db, "SELECT 1 FROM projects WHERE project_id = ?");
        q.bind(1, step.itemId);
        return q.step();
    }
    case RenameFile: {
        Statement q(db, "SELECT 1 FROM projects WHERE project_id = ? AND name_key = ?");
        q.bind(1, step.itemId).bind(2, step.key);
        return q.step();
    }
    case RemoveFile: {
        Statement q(db, "SELECT 1 FROM projects WHERE location_id = ? AND name_key = ?");
        q.bind(1, step.itemId).bind(2, step.key);
        return !q.step();
    }
    case RenameFolder: {
        Statement q(db, "SELECT 1 FROM locations WHERE location_id = ? AND name_key = ?");
        q.bind(1, step.itemId).bind(2, step.key);
        return q.step();
    }
    default:
        return true;
    }
}

// Does the step's disk work; doing it again once done does nothing. Every path lies below
// the store folder and is walked there without following links.
void perform(const QString &storeFolder, const Step &step)
{
    const AnchoredPath from = AnchoredPath::below(storeFolder, absolute(storeFolder, step.from));
    const AnchoredPath to = step.to.isEmpty() ? AnchoredPath() : AnchoredPath::below(storeFolder, absolute(storeFolder, step.to));
    switch (step.kind) {
    case Replace:
    case Place:
        if (FileOps::kindOf(from) != FileOps::Kind::Missing) {
            FileOps::makeFolder(to.parent());
            FileOps::install(from, to, step.kind == Replace);
        }
        return;
    case RenameFile:
    case RenameFolder:
        if (FileOps::kindOf(from) != FileOps::Kind::Missing && from != to) {
            FileOps::rename(from, to);
            FileOps::syncFolder(to.parent());
        }
        return;
    case RemoveFile:
        FileOps::removeFile(from);
        return;
    case RemoveFolder:
        FileOps::removeFolder(from);
        return;
    default:
        return;
    }
}

// Runs `sql` (one parameter: a step's ID) for each of `ids`, in one unflushed commit.
void eachStep(const SqliteDbPtr &db, const char *sql, const QList<qint64> &ids)
{
    unflushed(db, [&] {
        for (qint64 id : ids) {
            Statement st(db, sql);
            st.bind(1, id).exec();
        }
    });
}

// IDs of finished steps whose row could not be deleted yet (the database was busy).
std::mutex owedMutex;
QList<qint64> owed;

void forget(const SqliteDbPtr &db, const QList<qint64> &done)
{
    QList<qint64> ids;
    {
        std::lock_guard lock(owedMutex);
        ids = owed;
        owed.clear();
    }
    ids << done;
    try {
        eachStep(db, "DELETE FROM pending_work WHERE work_id = ?", ids);
    } catch (const DwError &) {
        std::lock_guard lock(owedMutex);
        owed << ids;
    }
}

// The step with its paths relative to the store folder, as perform takes them.
Step relativeTo(const QString &storeFolder, const Step &step)
{
    const QDir base(storeFolder);
    Step relative = step;
    relative.from = base.relativeFilePath(step.from);
    relative.to = step.to.isEmpty() ? QString() : base.relativeFilePath(step.to);
    return relative;
}

// Leaves steps that failed for whoever recovers next: they stay, without an owner.
void disown(const SqliteDbPtr &db, const QList<qint64> &ids)
{
    try {
        eachStep(db, "UPDATE pending_work SET owner = '' WHERE work_id = ?", ids);
    } catch (const DwError &) {
    }
}
} // namespace

QString ownerTag()
{
#ifdef Q_OS_UNIX
    static const QString tag = QStringLiteral("%1-%2").arg(::getpid()).arg(startOf(::getpid()));
    return tag;
#else
    return QString::number(QCoreApplication::applicationPid());
#endif
}

bool ownerAlive(const QString &tag)
{
    if (tag.isEmpty())
        return false;
    const qint64 pid = tag.section(QLatin1Char('-'), 0, 0).toLongLong();
    if (pid <= 0)
        return false;
#ifdef Q_OS_UNIX
    const QString start = startOf(pid);
    if (!start.isEmpty() || QFileInfo::exists(QStringLiteral("/proc/self/stat")))
        return !start.isEmpty() && start == tag.section(QLatin1Char('-'), 1, 1);
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#else
    return true;
#endif
}

QString stagedName()
{
    return QStringLiteral("%1-%2").arg(ownerTag()).arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

qint64 record(const SqliteDbPtr &db, const QString &storeFolder, Step step)
{
    const QDir base(storeFolder);
    Statement ins(db, "INSERT INTO pending_work (kind, from_path, to_path, item_id, name_key, owner, noted_at) "
                      "VALUES (?, ?, ?, ?, ?, ?, ?) RETURNING work_id");
    ins.bind(1, qint64(step.kind))
        .bind(2, base.relativeFilePath(step.from))
        .bind(3, step.to.isEmpty() ? QString() : base.relativeFilePath(step.to))
        .bind(4, step.itemId)
        .bind(5, step.key)
        .bind(6, ownerTag())
        .bind(7, QDateTime::currentMSecsSinceEpoch());
    ins.step();
    return ins.int64(0);
}

void finish(const SqliteDbPtr &db, const QString &storeFolder, const Step &step)
{
    if (step.id == 0)
        return;
    FaultInjection::point("after-commit");
    try {
        perform(storeFolder, relativeTo(storeFolder, step));
    } catch (const DwError &) {
        disown(db, {step.id});
        return;
    }
    FaultInjection::point("before-forget");
    forget(db, {step.id});
}

void finishAll(const SqliteDbPtr &db, const QString &storeFolder, const QList<Step> &steps)
{
    if (steps.isEmpty())
        return;
    FaultInjection::point("after-commit");
    QList<qint64> done, failed;
    QList<AnchoredPath> folders;
    for (const Step &step : steps) {
        try {
            if (step.kind != Place) {
                perform(storeFolder, relativeTo(storeFolder, step));
                done << step.id;
                continue;
            }
            const AnchoredPath from = AnchoredPath::below(storeFolder, step.from);
            const AnchoredPath to = AnchoredPath::below(storeFolder, step.to);
            if (!folders.contains(to.parent())) {
                FileOps::makeFolder(to.parent());
                folders << to.parent();
            }
            // Done again without harm, as in recovery: a staged file that is gone was placed.
            if (FileOps::kindOf(from) != FileOps::Kind::Missing)
                FileOps::installUnflushed(from, to);
            done << step.id;
        } catch (const DwError &) {
            failed << step.id;
        }
    }
    for (const AnchoredPath &folder : folders)
        FileOps::syncFolder(folder);
    if (!failed.isEmpty())
        disown(db, failed);
    FaultInjection::point("before-forget");
    if (!done.isEmpty())
        forget(db, done);
}

QStringList recover(const SqliteDbPtr &db, const QString &storeFolder, const QString &catalogue)
{
    const QString staging = StoreFolders::stagingFolder(storeFolder, catalogue);
    auto deadStaged = [&] {
        QStringList dead;
        for (const QString &name : QDir(staging).entryList(QDir::Files | QDir::Hidden)) {
            if (!ownerAlive(name.section(QLatin1Char('-'), 0, 1)))
                dead << name;
        }
        return dead;
    };
    auto deadSteps = [&] {
        QList<std::pair<Step, bool>> steps;
        Statement q(db, "SELECT work_id, kind, from_path, to_path, item_id, name_key, owner FROM pending_work "
                        "ORDER BY work_id");
        while (q.step()) {
            if (!ownerAlive(q.text(6)))
                steps.append({Step{q.int64(0), int(q.int64(1)), q.text(2), q.text(3), q.int64(4), q.text(5)}, true});
        }
        return steps;
    };
    if (deadStaged().isEmpty() && deadSteps().isEmpty())
        return {};

    // Under the write lock, so that no change of another process crosses the repair.
    QStringList done;
    WriteTransaction tx(db);
    QSet<QString> referenced;
    for (auto &[step, dead] : deadSteps()) {
        const QString what = QStringLiteral("%1 -> %2").arg(step.from, step.to);
        try {
            if (applies(db, step)) {
                perform(storeFolder, step);
                done << QStringLiteral("Afgemaakt: %1").arg(what);
            } else {
                if (step.kind == Replace || step.kind == Place)
                    FileOps::discard(AnchoredPath::below(storeFolder, absolute(storeFolder, step.from)));
                done << QStringLiteral("Vervallen: %1").arg(what);
            }
            Statement del(db, "DELETE FROM pending_work WHERE work_id = ?");
            del.bind(1, step.id).exec();
        } catch (const DwError &e) {
            referenced << QFileInfo(absolute(storeFolder, step.from)).fileName();
            done << QStringLiteral("Niet af te maken: %1 (%2)").arg(what, e.description());
        }
    }
    for (const QString &name : deadStaged()) {
        if (referenced.contains(name))
            continue;
        Statement live(db, "SELECT 1 FROM pending_work WHERE from_path = ?");
        live.bind(1, QDir(storeFolder).relativeFilePath(FileOps::join(staging, name)));
        if (live.step())
            continue;
        FileOps::discard(AnchoredPath::below(storeFolder, FileOps::join(staging, name)));
        done << QStringLiteral("Opgeruimd: %1").arg(name);
    }
    tx.commit();
    return done;
}

} // namespace dwfm::store::PendingWork
