// The reliability suite on the server store. A worker journals each step on its standard
// output, flushed at once so that a kill -9 loses none of it:
//   USER u                      who the worker is (first line)
//   SAVED F HASH                a whole content is put in F's working copy (or added by setup)
//   BEGIN kind F [ARG]          an operation starts: checkout F, checkin F HASH, undo F,
//                               add FOLDER HASH, copy F FOLDER, rename F NAME, delete F
//   END kind ok [ID] | fail     the store answered (an add or copy with the new file's ID)
// "ok" is the store's acknowledgement: the change is committed and must survive any kill of
// any client and any abrupt stop of the server. The verification holds the store to that:
//   torn  a file's current content is not one a client wrote out whole (its SHA-256 is in
//         no journal), reads back other than that hash, or a holder's working copy is not
//         whole;
//   lost  something acknowledged is not in the store afterwards: a checked-in or added
//         content missing from its file's versions, an added or copied file missing, a
//         deleted file back, a rename undone, a check-out no longer its holder's or a
//         released file still held (each unless a later step of the journals explains it);
//   stuck someone cannot go on working: a holder cannot finish their check-out (check in or
//         undo, after checking out again where the kill took the working copy), or a fresh
//         user cannot check out and in a file that is free.
#include "ServerTorture.h"

#include "DwError.h"
#include "DwFileStoreSession.h"
#include "TortureContent.h"
#include "pg/PgAdmin.h"
#include "pg/PgConnection.h"
#include "pg/PgSession.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QThread>

#include <cstdlib>
#include <memory>
#include <utility>

namespace dwfm::torture {

using namespace dwfm::store;
using namespace dwfm::store::pg;

namespace {

const QString Catalogue = QStringLiteral("proef");
const QStringList Kinds = {"checkout", "checkin", "undo", "add", "copy", "rename", "delete"};

void journal(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Sizes in KiB from $DWTORTURE_KIB ("MIN-MAX"), by default 1–20 MiB.
qsizetype randomSize()
{
    const QStringList range = qEnvironmentVariable("DWTORTURE_KIB", QStringLiteral("1024-20480")).split('-');
    const qsizetype low = range.value(0).toLongLong() * 1024, high = range.value(1).toLongLong() * 1024;
    return low + qsizetype(rng.bounded(quint64(qMax<qsizetype>(high - low, 0) + 1)));
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

std::unique_ptr<DwFileStoreSession> connectAs(const QString &server, const QString &user)
{
    auto s = std::make_unique<DwFileStoreSession>();
    if (!s->Connect(server, user, user, Catalogue, true))
        throw DwError(DwError::DatabaseError, s->Database().LastError());
    return s;
}

QString workingCopy(DwFileStoreSession &s, qint32 id)
{
    return s.Projects().GetProjectLocalFolder(id) + QLatin1Char('/') + s.Projects().GetProjectFileName(id);
}

class Worker {
public:
    Worker(const QString &server, const QString &user)
        : m_session(connectAs(server, user)), m_list(PgSession::conninfo(server, Catalogue, user, user))
    {
        journal(QStringLiteral("USER ") + user);
    }

    void prepare(const QString &kind)
    {
        const qsizetype held = ids("SELECT project_id FROM dw.projects WHERE checked_out AND lower(user_id) = session_user").size();
        if ((kind == "checkin" || kind == "undo") && held == 0)
            step(QStringLiteral("checkout"));
        else if (kind == "checkout" && held >= 2) // leaves files for the others
            step(QStringLiteral("checkin"));
        else if ((kind == "add" || kind == "copy") && m_made) // one file of its own at a time
            remove(std::exchange(m_made, 0));
        else if (kind == "delete")
            step(QStringLiteral("copy"));
    }

    void step(const QString &kind)
    {
        auto &p = m_session->Projects();
        const qint32 file = pick(ids("SELECT project_id FROM dw.projects"));
        const qint32 folder = pick(ids("SELECT location_id FROM dw.locations WHERE parent_id <> 0"));
        bool ok = false;
        QString made;
        if (kind == "checkout") {
            const qint32 free = pick(ids("SELECT project_id FROM dw.projects WHERE NOT checked_out"));
            journal(QStringLiteral("BEGIN checkout %1").arg(free));
            ok = p.CheckOutProject(free, "proef");
            finish(kind, ok);
            if (ok) {
                const QByteArray data = content(randomSize());
                journal(QStringLiteral("SAVED %1 %2").arg(free).arg(sha256(data)));
                save(workingCopy(*m_session, free), data);
            }
            return;
        }
        if (kind == "checkin" || kind == "undo") {
            const qint32 held = pick(ids("SELECT project_id FROM dw.projects WHERE checked_out AND lower(user_id) = session_user"));
            if (kind == "checkin") {
                const QByteArray data = readAll(workingCopy(*m_session, held));
                journal(QStringLiteral("BEGIN checkin %1 %2").arg(held).arg(data.isEmpty() ? QStringLiteral("-") : sha256(data)));
                ok = p.CheckInProject(held, "proef", rng.bounded(2) == 0);
            } else {
                journal(QStringLiteral("BEGIN undo %1").arg(held));
                ok = p.CancelCheckOut(held, "proef", true);
            }
        } else if (kind == "add") {
            const QString source = QDir::tempPath() + QStringLiteral("/dwtorture-%1.bin").arg(rng.generate(), 0, 16);
            const QByteArray data = content(randomSize());
            save(source, data);
            journal(QStringLiteral("BEGIN add %1 %2").arg(folder).arg(sha256(data)));
            const qint32 id = p.AddProject(source, folder, QStringLiteral("n%1.bin").arg(rng.bounded(100000)), true, true);
            QFile::remove(source);
            ok = id > 0;
            made = QString::number(m_made = ok ? id : 0);
        } else if (kind == "copy") {
            QVariant newId;
            journal(QStringLiteral("BEGIN copy %1 %2").arg(file).arg(folder));
            ok = p.CopyProject(file, folder, "proef", newId);
            made = QString::number(m_made = ok ? newId.toInt() : 0);
        } else if (kind == "rename") {
            const QString name = QStringLiteral("r%1.bin").arg(rng.bounded(100000));
            journal(QStringLiteral("BEGIN rename %1 %2").arg(file).arg(name));
            ok = p.RenameProject(file, name);
        } else if (kind == "delete") {
            remove(file);
            return;
        }
        finish(kind, ok, made);
    }

private:
    void remove(qint32 file)
    {
        journal(QStringLiteral("BEGIN delete %1").arg(file));
        finish(QStringLiteral("delete"), m_session->Projects().DeleteProject(file));
    }

    void finish(const QString &kind, bool ok, const QString &made = {})
    {
        journal(QStringLiteral("END %1 %2").arg(kind, ok ? QStringLiteral("ok ") + made
                                                        : QStringLiteral("fail ") + m_session->Database().LastError()).trimmed());
        if (!ok) // a server that is down answers at once; no need to ask it a thousand times
            QThread::msleep(100);
    }

    // The IDs a query answers; none while the server cannot be reached.
    QList<qint32> ids(const char *sql)
    {
        QList<qint32> out;
        try {
            const PgResult r = m_list.exec(sql);
            for (int i = 0; i < r.rows(); ++i)
                out << qint32(r.int64(i, 0));
        } catch (const DwError &) {
        }
        return out;
    }

    static qint32 pick(const QList<qint32> &list) { return list.isEmpty() ? 0 : list[rng.bounded(qint32(list.size()))]; }

    std::unique_ptr<DwFileStoreSession> m_session;
    PgConnection m_list; // the worker's look at the rows, beside the session's own connection
    qint32 m_made = 0;
};

// A file as the store has it now.
struct FileState {
    QString name;
    QString holder; // empty when free
    QString workingCopy;
    QString current; // SHA-256 of the current content
    QSet<QString> versions;
};

QHash<qint32, FileState> storeState(PgConnection &db)
{
    QHash<qint32, FileState> files;
    const PgResult r = db.exec("SELECT p.project_id, p.file_name, CASE WHEN p.checked_out THEN lower(p.user_id) END, "
                               "p.checkout_folder || '/' || p.file_name, encode(v.sha256, 'hex') FROM dw.projects p "
                               "LEFT JOIN dw.versions v ON v.project_id = p.project_id AND v.version = p.version");
    for (int i = 0; i < r.rows(); ++i)
        files.insert(qint32(r.int64(i, 0)), {r.text(i, 1), r.text(i, 2), r.text(i, 3), r.text(i, 4), {}});
    const PgResult v = db.exec("SELECT project_id, encode(sha256, 'hex') FROM dw.versions");
    for (int i = 0; i < v.rows(); ++i)
        files[qint32(v.int64(i, 0))].versions.insert(v.text(i, 1));
    return files;
}

struct Findings {
    int torn = 0, lost = 0, stuck = 0, mended = 0, read = 0;
    void report(int &count, const QString &what, const QString &line)
    {
        ++count;
        journal(what + QLatin1Char(' ') + line);
    }
};

// One worker's journal held against the store: what it was told was done must be there.
class JournalCheck {
public:
    JournalCheck(const QHash<qint32, FileState> &files, const QSet<qint32> &deletesBegun, Findings &found)
        : m_files(files), m_deletesBegun(deletesBegun), m_found(found)
    {
    }

    void check(const QList<QStringList> &lines)
    {
        QString user;
        QStringList begun;
        enum class Hold { Unknown, Held, Released };
        QHash<qint32, Hold> holds;
        QHash<qint32, QPair<QString, bool>> renames; // the last rename of each file, and whether it was acknowledged
        for (const QStringList &w : lines) {
            if (w.value(0) == "USER")
                user = w.value(1);
            if (w.value(0) == "BEGIN") {
                begun = w;
                const qint32 file = w.value(2).toInt();
                if (w[1] == "checkout" || w[1] == "checkin" || w[1] == "undo")
                    holds[file] = Hold::Unknown;
                if (w[1] == "rename")
                    renames[file] = {w.value(3), false};
            }
            if (w.value(0) != "END" || begun.value(1) != w.value(1) || w.value(2) != "ok")
                continue;
            const QString kind = begun.value(1);
            const qint32 file = begun.value(2).toInt(), made = w.value(3).toInt();
            if (kind == "checkout")
                holds[file] = Hold::Held;
            else if (kind == "checkin" || kind == "undo")
                holds[file] = Hold::Released;
            else if (kind == "rename")
                renames[file].second = true;
            if (kind == "checkin" && begun.value(3) != "-")
                expectContent(file, begun.value(3), QStringLiteral("ingecheckte"));
            else if (kind == "add")
                expectContent(made, begun.value(3), QStringLiteral("toegevoegde"));
            else if (kind == "copy")
                expectContent(made, QString(), QStringLiteral("gekopieerde"));
            else if (kind == "delete" && m_files.contains(file))
                m_found.report(m_found.lost, "lost", QStringLiteral("bestand %1: verwijderd maar terug").arg(file));
        }
        for (auto it = holds.cbegin(); it != holds.cend(); ++it) {
            const auto found = m_files.constFind(it.key());
            const FileState *f = found == m_files.cend() ? nullptr : &*found;
            if (it.value() == Hold::Held && !m_deletesBegun.contains(it.key()) && (!f || f->holder != user))
                m_found.report(m_found.lost, "lost", QStringLiteral("bestand %1: in gebruik bij %2, nu bij '%3'")
                                                         .arg(it.key()).arg(user, f ? f->holder : QStringLiteral("?")));
            if (it.value() == Hold::Released && f && f->holder == user)
                m_found.report(m_found.lost, "lost", QStringLiteral("bestand %1: vrijgegeven door %2, nog in gebruik").arg(it.key()).arg(user));
        }
        for (auto it = renames.cbegin(); it != renames.cend(); ++it) {
            if (it.value().second && m_files.contains(it.key()) && m_files.value(it.key()).name != it.value().first)
                m_found.report(m_found.lost, "lost", QStringLiteral("bestand %1: hernoemd tot %2, heet %3")
                                                         .arg(it.key()).arg(it.value().first, m_files.value(it.key()).name));
        }
    }

private:
    // An acknowledged file (with `hash` among its versions) is there unless someone began
    // to delete it.
    void expectContent(qint32 file, const QString &hash, const QString &what)
    {
        if (!m_files.contains(file)) {
            if (!m_deletesBegun.contains(file))
                m_found.report(m_found.lost, "lost", QStringLiteral("%1 bestand %2 ontbreekt").arg(what).arg(file));
        } else if (!hash.isEmpty() && !m_files.value(file).versions.contains(hash)) {
            m_found.report(m_found.lost, "lost", QStringLiteral("%1 inhoud %2 van bestand %3 ontbreekt").arg(what, hash.left(12)).arg(file));
        }
    }

    const QHash<qint32, FileState> &m_files;
    const QSet<qint32> &m_deletesBegun;
    Findings &m_found;
};

QList<QStringList> readJournal(const QString &path)
{
    QList<QStringList> lines;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        while (!f.atEnd())
            lines << QString::fromUtf8(f.readLine()).trimmed().split(QLatin1Char(' '));
    }
    return lines;
}

} // namespace

int serverSetup(const QString &server, const QString &work, int files)
{
    try {
        PgAdmin admin(server, Catalogue);
        if (admin.exists())
            admin.dropStore();
        admin.createStore();
        for (int u = 0; u <= 8; ++u) {
            const QString name = u < 8 ? QStringLiteral("u%1").arg(u) : QStringLiteral("nazien");
            UserChange c;
            c.password = name;
            c.admin = u == 8;
            c.workingRoot = work + QStringLiteral("/werk/") + name;
            admin.addUser(name, c);
        }
        auto s = connectAs(server, QStringLiteral("nazien"));
        qint32 top = 0, sub = 0;
        QList<qint32> folders;
        s->Locations().CreateLocation(QStringLiteral("Werk"), QString(), 0, top);
        for (int i = 0; i < 4; ++i) {
            if (s->Locations().CreateLocation(QStringLiteral("Map%1").arg(i), QString(), top, sub))
                folders << sub;
        }
        const QString source = work + QStringLiteral("/bron.bin");
        for (int i = 0; i < files; ++i) {
            const QByteArray data = content(randomSize());
            save(source, data);
            const qint32 id = s->Projects().AddProject(source, folders[i % folders.size()], QStringLiteral("f%1.bin").arg(i), true, true);
            if (id <= 0)
                throw DwError(DwError::DatabaseError, s->Database().LastError());
            journal(QStringLiteral("SAVED %1 %2").arg(id).arg(sha256(data)));
        }
        QFile::remove(source);
        return 0;
    } catch (const DwError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
}

void serverWork(const QString &server, const QString &user, const QString &kind)
{
    try {
        // A worker that had not connected yet when the server went down tries again, as a
        // user would, until the server is back (its operations then go on by themselves).
        std::unique_ptr<Worker> worker;
        QElapsedTimer waited;
        waited.start();
        while (!worker) {
            try {
                worker = std::make_unique<Worker>(server, user);
            } catch (const DwError &) {
                if (waited.hasExpired(60000))
                    throw;
                QThread::msleep(200);
            }
        }
        for (;;) {
            worker->prepare(kind);
            worker->step(kind);
        }
    } catch (const DwError &e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
    }
    std::exit(1);
}

int serverVerify(const QString &server, const QString &journals, const QString &trial, bool all)
{
    try {
        PgConnection db(PgSession::conninfo(server, Catalogue, QString(), QString()));
        QHash<qint32, FileState> files = storeState(db);
        Findings found;

        // Every content a client ever wrote out whole, and what this trial's workers did.
        QSet<QString> written;
        QSet<qint32> deletesBegun, touched;
        QList<QList<QStringList>> trialJournals;
        for (QDirIterator it(journals, {QStringLiteral("*.log")}, QDir::Files); it.hasNext();) {
            const QString path = it.next();
            const QList<QStringList> lines = readJournal(path);
            const bool ofTrial = QFileInfo(path).fileName().startsWith(trial + QLatin1Char('-'));
            for (const QStringList &w : lines) {
                if (w.value(0) == "SAVED" || (w.value(0) == "BEGIN" && (w.value(1) == "checkin" || w.value(1) == "add")))
                    written.insert(w.value(w.value(0) == "SAVED" ? 2 : 3));
                if (!ofTrial)
                    continue;
                if (w.value(0) == "BEGIN" && w.value(1) == "delete")
                    deletesBegun.insert(w.value(2).toInt());
                if (w.value(0) == "BEGIN" && w.value(1) != "add")
                    touched.insert(w.value(2).toInt());
                if (w.value(0) == "END" && w.value(2) == "ok" && w.size() > 3)
                    touched.insert(w.value(3).toInt());
            }
            if (ofTrial)
                trialJournals << lines;
        }
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (!written.contains(it->current))
                found.report(found.torn, "torn", QStringLiteral("bestand %1: de huidige inhoud %2 schreef niemand heel")
                                                     .arg(it.key()).arg(it->current.left(12)));
        }
        for (const auto &lines : trialJournals)
            JournalCheck(files, deletesBegun, found).check(lines);

        // The holders go on: each finishes their check-outs, half by checking in, half by
        // undoing; a working copy a kill took is brought back by checking out again.
        QHash<QString, std::shared_ptr<DwFileStoreSession>> holders;
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (it->holder.isEmpty())
                continue;
            auto &s = holders[it->holder];
            if (!s)
                s = connectAs(server, it->holder);
            auto &p = s->Projects();
            const qint32 id = it.key();
            if (!QFileInfo::exists(it->workingCopy)) {
                ++found.mended;
                if (!p.CheckOutProject(id, "verder") || !QFileInfo::exists(it->workingCopy))
                    found.report(found.stuck, "stuck", QStringLiteral("bestand %1: werkkopie niet terug: %2").arg(id).arg(s->Database().LastError()));
            }
            if (QFileInfo::exists(it->workingCopy) && !whole(readAll(it->workingCopy)))
                found.report(found.torn, "torn", QStringLiteral("werkkopie %1").arg(it->workingCopy));
            const bool done = id % 2 ? p.CheckInProject(id, "verder", true) : p.CancelCheckOut(id, "verder", true);
            if (!done)
                found.report(found.stuck, "stuck", QStringLiteral("bestand %1 (%2): %3").arg(id).arg(it->holder, s->Database().LastError()));
        }
        holders.clear();

        // A fresh user checks out and in again every file the trial touched (or every file),
        // and gets exactly its current content.
        files = storeState(db);
        auto fresh = connectAs(server, QStringLiteral("nazien"));
        auto &p = fresh->Projects();
        for (auto it = files.cbegin(); it != files.cend(); ++it) {
            if (!all && !touched.contains(it.key()))
                continue;
            const qint32 id = it.key();
            if (!it->holder.isEmpty() || !p.CheckOutProject(id, "nazien")) {
                found.report(found.stuck, "stuck", QStringLiteral("bestand %1 niet uit te checken: %2").arg(id).arg(fresh->Database().LastError()));
                continue;
            }
            ++found.read;
            const QByteArray data = readAll(workingCopy(*fresh, id));
            if (!whole(data) || sha256(data) != it->current)
                found.report(found.torn, "torn", QStringLiteral("bestand %1 leest anders terug").arg(id));
            if (!p.CheckInProject(id, "nagezien", true))
                found.report(found.stuck, "stuck", QStringLiteral("bestand %1 niet in te checken: %2").arg(id).arg(fresh->Database().LastError()));
        }
        journal(QStringLiteral("torn=%1 lost=%2 stuck=%3 mended=%4 files=%5 read=%6")
                    .arg(found.torn).arg(found.lost).arg(found.stuck).arg(found.mended).arg(files.size()).arg(found.read));
        return found.torn + found.lost + found.stuck == 0 ? 0 : 1;
    } catch (const DwError &e) {
        std::printf("verify-failed %s\n", qPrintable(e.description()));
        return 1;
    }
}

} // namespace dwfm::torture
