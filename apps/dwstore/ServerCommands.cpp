// dwstore's commands for a server store (--server HOST[:PORT] --catalog DATABASE). The
// database administration (init, user, the kind of a location) logs in as libpq does by
// itself: PGUSER, PGPASSWORD or ~/.pgpass, or the operating-system account. The location
// and file commands act as the store user of that same login, with that user's rights,
// which the server checks. Everything but init and demo is the embedded store's command.
#include "Commands.h"

#include "Args.h"
#include "DemoStore.h"
#include "pg/PgAdmin.h"
#include "DwError.h"
#include "pg/PgSchemaSql.h"
#include "pg/PgShareImport.h"

using namespace dwfm;
using namespace dwfm::store;

namespace {

int demoCommand(pg::PgAdmin &admin, const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {}, {QStringLiteral("reset")});
    if (!a.positional.isEmpty())
        throw UsageError{QStringLiteral("Gebruik: dwstore demo [--reset]")};
    if (admin.exists()) {
        if (!a.has(QStringLiteral("reset"))) {
            out << "De demostore bestaat al op " << inv.server << ".\n";
            printDemoConnection(inv.server, inv.catalogue, out);
            return ExitOk;
        }
        admin.dropStore();
    }
    // The demo's users have known passwords: a role of the cluster that already has one of
    // their names is never touched, so nothing is made.
    for (const QString &user : demoUsers()) {
        if (admin.nameTaken(user)) {
            throw DwError(DwError::PermissionDenied,
                          QStringLiteral("Op de server bestaat al een rol '%1'. De demo wijzigt geen bestaande rollen (de "
                                         "demo zet bekende wachtwoorden); er is niets gemaakt.").arg(user));
        }
    }
    admin.createStore();
    fillDemoStore(admin, inv.server, inv.catalogue);
    out << "Demostore gemaakt op " << inv.server << " (catalogus " << inv.catalogue << ").\n";
    printDemoConnection(inv.server, inv.catalogue, out);
    return ExitOk;
}

// "500ms", "5s", "2min" or a bare number of seconds, in milliseconds.
qint64 duration(const QString &text, const QString &what)
{
    static const QList<std::pair<QString, qint64>> units = {
        {QStringLiteral("ms"), 1}, {QStringLiteral("min"), 60000}, {QStringLiteral("s"), 1000}, {QString(), 1000}};
    for (const auto &[unit, factor] : units) {
        bool ok = false;
        const double value = text.endsWith(unit) ? text.chopped(unit.size()).trimmed().toDouble(&ok) : 0;
        if (ok && value > 0)
            return qint64(value * double(factor) + 0.5);
    }
    throw UsageError{QStringLiteral("%1 moet een tijd zijn zoals 500ms, 5s of 2min, niet '%2'.").arg(what, text)};
}

QString shown(qint64 ms)
{
    return ms % 1000 == 0 ? QStringLiteral("%1 s").arg(ms / 1000) : QStringLiteral("%1 ms").arg(ms);
}

int timeoutsCommand(pg::PgAdmin &admin, const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {QStringLiteral("lock"), QStringLiteral("idle"), QStringLiteral("statement")}, {});
    if (!a.positional.isEmpty())
        throw UsageError{QStringLiteral("Gebruik: dwstore --server ... timeouts [--lock TIJD] [--idle TIJD] [--statement TIJD]")};
    pg::PgAdmin::SessionLimits limits = admin.sessionLimits();
    if (!a.options.isEmpty()) {
        if (a.has(QStringLiteral("lock")))
            limits.lockMs = duration(a.options[QStringLiteral("lock")], QStringLiteral("--lock"));
        if (a.has(QStringLiteral("idle")))
            limits.idleMs = duration(a.options[QStringLiteral("idle")], QStringLiteral("--idle"));
        if (a.has(QStringLiteral("statement")))
            limits.statementMs = duration(a.options[QStringLiteral("statement")], QStringLiteral("--statement"));
        admin.setSessionLimits(limits);
    }
    out << "Wachten op een vergrendeling: " << shown(limits.lockMs) << "\n"
        << "Open transactie zonder activiteit: " << shown(limits.idleMs) << "\n"
        << "Eén opdracht: " << shown(limits.statementMs) << "\n";
    return ExitOk;
}

// Brings an older store up to date and moves the content of its shared folder in.
int importShareCommand(pg::PgAdmin &admin, const Invocation &inv, QTextStream &out, QTextStream &err)
{
    const Args a(inv.words.mid(1), {}, {});
    if (a.positional.size() != 1)
        throw UsageError{QStringLiteral("Gebruik: dwstore --server HOST[:POORT] --catalog DATABASE import-share MAP")};
    const int was = admin.upgrade();
    if (was != pg::PgSchemaVersion)
        out << "De store is bijgewerkt van opbouw " << was << " naar " << pg::PgSchemaVersion << ".\n";
    const pg::PgShareImport::Result r = pg::PgShareImport(admin.db()).run(a.positional[0], [&](int done, int total) {
        if (done % 100 == 0 || done == total)
            err << "\r" << done << " van " << total << " bestand(en)" << (done == total ? "\n" : "") << Qt::flush;
    });
    out << "Overgezet: " << r.files << " bestand(en).\n";
    for (const QString &line : r.unplaced)
        err << "Niet geplaatst: " << line << "\n";
    if (r.missing > 0)
        out << r.missing << " bestand(en) hebben nog geen inhoud; los het bovenstaande op en voer de opdracht opnieuw uit.\n";
    else
        out << "Alle bestanden staan in de database; de gedeelde map is niet meer nodig.\n";
    return r.unplaced.isEmpty() ? ExitOk : ExitFailed;
}

} // namespace

int runServerCommand(const Invocation &inv, QTextStream &out, QTextStream &err)
{
    const QString command = inv.words.value(0);
    if (inv.catalogue.isEmpty())
        throw UsageError{QStringLiteral("Geef bij --server ook de database op met --catalog.")};
    if (!inv.storeFolder.isEmpty())
        throw UsageError{QStringLiteral("Een serverstore bewaart alles in de database en heeft geen map: laat --store weg.")};
    pg::PgAdmin admin(inv.server, inv.catalogue);
    if (command == QLatin1String("init")) {
        if (inv.words.size() != 1)
            throw UsageError{QStringLiteral("Gebruik: dwstore --server HOST[:POORT] --catalog DATABASE init")};
        admin.createStore();
        out << "Serverstore " << inv.catalogue << " gemaakt op " << inv.server << ".\n";
        return ExitOk;
    }
    if (command == QLatin1String("demo"))
        return demoCommand(admin, inv, out);
    if (command == QLatin1String("timeouts"))
        return timeoutsCommand(admin, inv, out);
    if (command == QLatin1String("import-share"))
        return importShareCommand(admin, inv, out, err);
    if (isSharedCommand(command))
        return sharedCommand(admin, inv, out, err);
    throw UsageError{QStringLiteral("Gebruik: dwstore --server SERVER --catalog DATABASE init | "
                                    "user add|list|set|remove | location add|list|rename | import MAP | ls ID | "
                                    "who [--older-than DAGEN] [--user NAAM] | undo-checkout ID | versions ID | prune | "
                                    "check | repair | import-share MAP | timeouts | demo [--reset]")};
}
