// dwtorture: the worker of the reliability suite (run.sh). It sets up a store, runs store
// operations until it is killed, and verifies a store afterwards.
//   dwtorture setup STORE FILES          a store with users u0..u7 and FILES files
//   dwtorture op STORE USER KIND SEED    KIND over and over (until killed); "random": any
//   dwtorture race STORE USER SEED COUNT COUNT random operations, then exits
//   dwtorture verify STORE               recover, check (every content against its hash), repair
//                                        when needed; prints figures
// With a server address for STORE the server store is worked on (ServerTorture.h).
// Before each operation it prints "BEGIN kind", after it "END kind", so that the script
// knows what a kill interrupted. Every file's content ends in its own checksum, so a torn
// file is recognised.
#include "DwFileStoreSession.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "admin/StoreCheck.h"
#include "ProjectBatch.h"
#include "ProjectVersions.h"
#include "ServerTorture.h"
#include "TortureContent.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>

#include <cstdio>

using namespace dwfm;
using namespace dwfm::store;
using namespace dwfm::torture;

namespace {
const QString Catalogue = QStringLiteral("Proef");
const QStringList Kinds = {"checkout", "checkin", "undo",          "add",           "copy",    "batch",
                           "rename",   "delete",  "folder-rename", "folder-delete", "restore", "prune"};

qsizetype randomSize()
{
    // Mostly small, now and then a few MiB so that kills land inside the copying.
    return rng.bounded(8) == 0 ? qsizetype(rng.bounded(1 << 22)) : qsizetype(rng.bounded(1 << 14));
}

QList<qint32> ids(DwFileStoreSession &s, const QString &sql)
{
    auto db = s.context()->db();
    QList<qint32> out;
    Statement q(db, sql.toUtf8().constData());
    q.bind(1, s.context()->user().id);
    while (q.step())
        out << qint32(q.int64(0));
    return out;
}

template <typename T>
T pick(const QList<T> &list)
{
    return list.isEmpty() ? T() : list[rng.bounded(qint32(list.size()))];
}

void step(DwFileStoreSession &s, const QString &kind)
{
    std::printf("BEGIN %s\n", qPrintable(kind));
    std::fflush(stdout);
    auto &p = s.Projects();
    auto &l = s.Locations();
    const QList<qint32> files = ids(s, "SELECT project_id FROM projects WHERE ?1 IS NOT NULL");
    const QList<qint32> mine = ids(s, "SELECT project_id FROM projects WHERE checked_out = 1 AND user_id = ?1");
    const QList<qint32> folders = ids(s, "SELECT location_id FROM locations WHERE parent_id <> 0 AND ?1 IS NOT NULL");
    const qint32 file = pick(files), held = pick(mine), folder = pick(folders);
    QVariant newId;
    if (kind == "checkout") {
        // As the check-out dialog does it (several files, one commit), or as a double-click.
        const QList<qint32> chosen = rng.bounded(2) == 0 ? QList<qint32>{file} : QList<qint32>{file, pick(files)};
        const QList<bool> taken = chosen.size() == 1 ? QList<bool>{p.CheckOutProject(file, "proef")}
                                                     : dynamic_cast<ProjectBatch &>(p).CheckOutProjects(chosen, "proef");
        for (qsizetype i = 0; i < chosen.size(); ++i) {
            if (taken.value(i))
                save(FileOps::join(p.GetProjectLocalFolder(chosen[i]), p.GetProjectFileName(chosen[i])), content(randomSize()));
        }
    } else if (kind == "restore") {
        // An earlier version of a file that has one and is free or the user's own.
        RecordsetPtr rs;
        auto &versions = dynamic_cast<ProjectVersions &>(p);
        const qint32 target = pick(ids(s, "SELECT project_id FROM projects WHERE version > 1 AND (checked_out = 0 OR user_id = ?1)"));
        if (versions.GetProjectVersions(rs, target)) {
            QList<qint32> earlier;
            for (; !rs->isEof(); rs->moveNext()) {
                if (!rs->value(QStringLiteral("IsCurrent")).toBool())
                    earlier << rs->value(QStringLiteral("Version")).toInt();
            }
            rs.reset();
            if (!earlier.isEmpty())
                versions.RestoreProjectVersion(target, pick(earlier), "proef");
        }
    } else if (kind == "prune") {
        StoreAdmin(DwFileStoreSession::openAsAdministrator(s.context()->folder(), Catalogue, QStringLiteral("beheer")))
            .prune(PruneRules{int(rng.bounded(3)), std::nullopt});
    } else if (kind == "checkin") {
        p.CheckInProject(held, "proef", rng.bounded(2) == 0);
    } else if (kind == "undo") {
        p.CancelCheckOut(held, "proef", true);
    } else if (kind == "add") {
        const QString source = QDir::tempPath() + QStringLiteral("/dwtorture-%1.bin").arg(rng.generate(), 0, 16);
        save(source, content(randomSize()));
        p.AddProject(source, folder, QStringLiteral("n%1.bin").arg(rng.bounded(100000)), true, true);
        QFile::remove(source);
    } else if (kind == "copy") {
        p.CopyProject(file, folder, "proef", newId);
    } else if (kind == "batch") {
        dynamic_cast<ProjectBatch &>(p).CopyProjects({file, pick(files), pick(files)}, folder, "proef");
    } else if (kind == "rename") {
        p.RenameProject(file, QStringLiteral("r%1.bin").arg(rng.bounded(100000)));
    } else if (kind == "delete") {
        p.DeleteProject(file);
    } else if (kind == "folder-rename") {
        l.RenameLocation(folder, QStringLiteral("M%1").arg(rng.bounded(100000)));
    } else if (kind == "folder-delete") {
        qint32 made = 0;
        if (l.CreateLocation(QStringLiteral("T%1").arg(rng.bounded(100000)), "", folder, made))
            l.DeleteLocation(made);
    }
    std::printf("END %s\n", qPrintable(kind));
    std::fflush(stdout);
}

// The operation's preconditions, so that most runs of a kind do the real work: a file to
// check in or undo, a file to delete.
void prepare(DwFileStoreSession &s, const QString &kind)
{
    if (kind == "checkin" || kind == "undo")
        step(s, QStringLiteral("checkout"));
    else if (kind == "delete" || kind == "copy" || kind == "batch")
        step(s, QStringLiteral("add"));
    else if (kind == "prune" || (kind == "restore" && ids(s, "SELECT project_id FROM projects WHERE version > 1 AND ?1 IS NOT NULL").isEmpty()))
        step(s, QStringLiteral("checkout")), step(s, QStringLiteral("checkin"));
}

int setup(const QString &store, int files)
{
    StoreAdmin::createStore(store, Catalogue);
    StoreAdmin admin(DwFileStoreSession::openAsAdministrator(store, Catalogue, QStringLiteral("beheer")));
    for (int u = 0; u < 8; ++u) {
        UserChange c;
        c.password = QStringLiteral("u%1").arg(u);
        c.workingRoot = store + QStringLiteral("/werk/u%1").arg(u);
        admin.addUser(QStringLiteral("u%1").arg(u), c, 1000);
    }
    qint32 top = 0, sub = 0;
    admin.session().Locations().CreateLocation(QStringLiteral("Werk"), QString(), 0, top);
    for (int i = 0; i < 4; ++i)
        admin.session().Locations().CreateLocation(QStringLiteral("Map%1").arg(i), QString(), top, sub);
    const QList<qint32> folders = ids(admin.session(), "SELECT location_id FROM locations WHERE parent_id <> 0 AND ?1 IS NOT NULL");
    const QString source = store + QStringLiteral("/bron.bin");
    for (int i = 0; i < files; ++i) {
        save(source, content(qsizetype(rng.bounded(1 << 12))));
        admin.session().Projects().AddProject(source, folders[i % folders.size()], QStringLiteral("f%1.bin").arg(i), true, true);
    }
    QFile::remove(source);
    return 0;
}

int verify(const QString &store)
{
    DwFileStoreSession s; // connecting finishes what killed processes left
    if (!s.Connect(store, QStringLiteral("u0"), QStringLiteral("u0"), Catalogue, true)) {
        std::printf("connect-failed %s\n", qPrintable(s.Database().LastError()));
        return 1;
    }
    int torn = 0, lost = 0;
    for (QDirIterator it(s.context()->rootFolder(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        QFile f(it.next());
        if (!f.open(QIODevice::ReadOnly) || !whole(f.readAll())) {
            ++torn;
            std::printf("torn %s\n", qPrintable(f.fileName()));
        }
    }
    // A file someone holds has its working copy: a reservation never comes without one.
    Statement held(s.context()->db(), "SELECT checkout_folder || '/' || file_name FROM projects WHERE checked_out = 1");
    while (held.step()) {
        if (!QFileInfo::exists(held.text(0))) {
            ++lost;
            std::printf("lost %s\n", qPrintable(held.text(0)));
        }
    }
    // Nothing half-made in the users' working folders: a copy that was to replace a working
    // copy has no name until it does.
    int stray = 0;
    for (QDirIterator it(store + QStringLiteral("/werk"), {QStringLiteral(".dwtmp-*")}, QDir::Files | QDir::Hidden,
                         QDirIterator::Subdirectories);
         it.hasNext();) {
        ++stray;
        std::printf("stray %s\n", qPrintable(it.next()));
    }
    // One holder at a time: in every file's history a check-out is always followed by its
    // check-in or undo before the next check-out.
    int twice = 0;
    Statement history(s.context()->db(), "SELECT project_id, action FROM history WHERE action IN ('In gebruik genomen', "
                                         "'Vrijgegeven', 'In gebruik nemen ongedaan gemaakt') ORDER BY project_id, history_id");
    for (qint64 file = -1, taken = 0; history.step();) {
        taken = history.int64(0) == file ? taken : 0;
        file = history.int64(0);
        taken = history.text(1) == QLatin1String("In gebruik genomen") ? taken + 1 : 0;
        if (taken > 1 && ++twice)
            std::printf("two holders of file %lld\n", file);
    }
    // Every version's content read back against its hash, and a kept content for every
    // version that is not its file's current one: a kill never loses an earlier version.
    StoreCheck check(s.context());
    const QStringList findings = check.check(true);
    for (const QString &line : findings)
        std::printf("finding %s\n", qPrintable(line));
    const QStringList left = findings.isEmpty() ? QStringList() : (check.repair(true), check.check(true));
    for (const QString &line : left)
        std::printf("unrecoverable %s\n", qPrintable(line));
    Statement versions(s.context()->db(), "SELECT COUNT(*), COUNT(DISTINCT hash) FROM versions");
    versions.step();
    std::printf("torn=%d lost=%d twice=%d stray=%d findings=%lld unrecoverable=%lld versions=%lld contents=%lld\n", torn,
                lost, twice, stray, qlonglong(findings.size()), qlonglong(left.size()), versions.int64(0), versions.int64(1));
    return torn + lost + twice + stray + left.size() == 0 ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments().mid(1);
    const QString mode = a.value(0), store = a.value(1);
    if (DwFileStoreSession::isServerAddress(store)) {
        if (mode == "setup" && a.size() == 4)
            return serverSetup(store, a[3], a[2].toInt());
        if (mode == "verify" && (a.size() == 4 || (a.size() == 5 && a[4] == "--all")))
            return serverVerify(store, a[2], a[3], a.size() == 5);
        if (mode == "op" && a.size() == 5) {
            rng.seed(a[4].toUInt());
            serverWork(store, a[2], a[3]);
        }
        std::fprintf(stderr, "Gebruik: dwtorture setup SERVER BESTANDEN MAP | op SERVER GEBRUIKER SOORT ZAAD | "
                             "verify SERVER JOURNALEN PROEF [--all]\n");
        return 2;
    }
    if (mode == "setup" && a.size() == 3)
        return setup(store, a[2].toInt());
    if (mode == "verify" && a.size() == 2)
        return verify(store);
    if ((mode == "op" && a.size() == 5) || (mode == "race" && a.size() == 5)) {
        rng.seed(a[mode == "op" ? 4 : 3].toUInt());
        DwFileStoreSession s;
        if (!s.Connect(store, a[2], a[2], Catalogue, true)) {
            std::fprintf(stderr, "%s\n", qPrintable(s.Database().LastError()));
            return 1;
        }
        if (mode == "race") {
            for (int i = 0, n = a[4].toInt(); i < n; ++i)
                step(s, pick(Kinds));
            return 0;
        }
        for (;;) {
            const QString kind = a[3] == "random" ? pick(Kinds) : a[3];
            prepare(s, kind);
            step(s, kind);
        }
    }
    std::fprintf(stderr, "Gebruik: dwtorture setup|op|race|verify ... (zie de bron)\n");
    return 2;
}
