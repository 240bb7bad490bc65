// dwstore's commands for a server store (--server HOST[:PORT] --catalog DATABASE). The
// database administration (init, user) logs in as libpq does by itself: PGUSER,
// PGPASSWORD or ~/.pgpass, or the operating-system account. The other commands act as a
// store user logged in the same way, with that user's rights, which the server checks.
#include "Commands.h"

#include "DwFileStoreSession.h"
#include "pg/PgAdmin.h"
#include "platform/DwError.h"

using namespace dwfm;
using namespace dwfm::store;

namespace {

struct ServerUsage {
    QString text;
};

// "--name value" options and positional words.
struct Words {
    QStringList positional;
    QMap<QString, QString> options;
    explicit Words(const QStringList &words)
    {
        for (qsizetype i = 0; i < words.size(); ++i) {
            if (!words[i].startsWith(QLatin1String("--"))) {
                positional << words[i];
            } else if (i + 1 < words.size()) {
                options[words[i].mid(2)] = words[i + 1];
                ++i;
            } else {
                throw ServerUsage{QStringLiteral("De optie %1 verwacht een waarde.").arg(words[i])};
            }
        }
    }
    bool yes(const QString &name) const
    {
        const QString v = options.value(name).toLower();
        return v == QLatin1String("ja") || v == QLatin1String("yes") || v == QLatin1String("1") || v == QLatin1String("true");
    }
};

qint32 idOf(const QString &text)
{
    bool ok = false;
    const qint32 id = text.toInt(&ok);
    if (!ok)
        throw ServerUsage{QStringLiteral("'%1' is geen nummer.").arg(text)};
    return id;
}

void check(FileStoreSession &s, bool ok)
{
    if (!ok)
        throw DwError(s.Database().LastErrorNumber(), s.Database().LastError());
}

void listTree(FileStoreSession &s, qint32 parent, int depth, QTextStream &out)
{
    RecordsetPtr rs;
    if (!s.Locations().GetChildLocations(rs, parent))
        return;
    for (; !rs->isEof(); rs->moveNext()) {
        const qint32 id = rs->value(QStringLiteral("ChildID")).toInt();
        out << QString(depth * 2, QLatin1Char(' ')) << id << "\t" << rs->value(QStringLiteral("childpath")).toString() << "\n";
        listTree(s, id, depth + 1, out);
    }
}

int storeUserCommand(const Invocation &inv, const Words &w, QTextStream &out)
{
    DwFileStoreSession s;
    check(s, s.Connect(inv.server, QString(), QString(), inv.catalogue, false));
    const QString command = inv.words.value(0);
    const QString sub = w.positional.value(0);
    if (command == QLatin1String("location") && sub == QLatin1String("add") && w.positional.size() == 2) {
        qint32 id = 0;
        check(s, s.Locations().CreateLocation(w.positional[1], QString(), w.options.value("parent", "0").toInt(), id));
        out << "Locatie " << id << " (" << s.Locations().GetLocationPath(id) << ") gemaakt.\n";
    } else if (command == QLatin1String("location") && sub == QLatin1String("list")) {
        listTree(s, 0, 0, out);
    } else if (command == QLatin1String("location") && sub == QLatin1String("rename") && w.positional.size() == 3) {
        check(s, s.Locations().RenameLocation(idOf(w.positional[1]), w.positional[2]));
        out << "Locatie hernoemd.\n";
    } else if (command == QLatin1String("ls") && w.positional.size() == 1) {
        RecordsetPtr rs;
        if (s.Projects().GetProjectsInLocation(rs, idOf(w.positional[0]))) {
            for (; !rs->isEof(); rs->moveNext()) {
                out << rs->value(QStringLiteral("Projectid")).toInt() << "\t" << rs->value(QStringLiteral("FileName")).toString()
                    << "\t"
                    << (rs->value(QStringLiteral("CheckedOut")).toBool()
                            ? QStringLiteral("in gebruik bij ") + rs->value(QStringLiteral("UserID")).toString()
                            : QStringLiteral("vrij"))
                    << "\n";
            }
        }
    } else if (command == QLatin1String("undo-checkout") && w.positional.size() == 1) {
        check(s, s.Projects().CancelCheckOut(idOf(w.positional[0]), w.options.value(QStringLiteral("remark")), false));
        out << "Het in gebruik nemen van bestand " << w.positional[0] << " is ongedaan gemaakt.\n";
    } else {
        throw ServerUsage{QStringLiteral("Gebruik: dwstore --server HOST[:POORT] --catalog DATABASE init --store MAP | "
                                         "user add ID [...] | user list | location add|list|rename | ls ID | "
                                         "undo-checkout ID")};
    }
    return ExitOk;
}

} // namespace

int runServerCommand(const Invocation &inv, QTextStream &out, QTextStream &err)
{
    const QString command = inv.words.value(0);
    try {
        if (inv.catalogue.isEmpty())
            throw ServerUsage{QStringLiteral("Geef bij --server ook de database op met --catalog.")};
        const Words w(inv.words.mid(1));
        pg::PgAdmin admin(inv.server, inv.catalogue);
        if (command == QLatin1String("init")) {
            admin.createStore(inv.storeFolder);
            out << "Serverstore " << inv.catalogue << " gemaakt op " << inv.server << "; bestanden in " << inv.storeFolder
                << ".\n";
            return ExitOk;
        }
        if (command == QLatin1String("user") && w.positional.value(0) == QLatin1String("add") && w.positional.size() == 2) {
            pg::PgUserSettings settings;
            settings.fullName = w.options.value(QStringLiteral("name"));
            if (w.options.contains(QStringLiteral("password")))
                settings.password = w.options.value(QStringLiteral("password"));
            settings.admin = w.yes(QStringLiteral("admin"));
            settings.readOnly = w.yes(QStringLiteral("read-only"));
            settings.workingRoot = w.options.value(QStringLiteral("working-root"));
            admin.addUser(w.positional[1], settings);
            out << "Gebruiker " << w.positional[1] << " toegevoegd.\n";
            return ExitOk;
        }
        if (command == QLatin1String("user") && w.positional.value(0) == QLatin1String("list")) {
            for (const QString &line : admin.users())
                out << QString(line).replace(QLatin1Char('|'), QLatin1Char('\t')) << "\n";
            return ExitOk;
        }
        return storeUserCommand(inv, w, out);
    } catch (const ServerUsage &e) {
        err << e.text << "\n";
        return ExitUsage;
    } catch (const DwError &e) {
        err << e.description() << "\n";
        return ExitFailed;
    }
}
