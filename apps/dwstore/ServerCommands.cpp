// dwstore's commands for a server store (--server HOST[:PORT] --catalog DATABASE). The
// database administration (init, user, the kind of a location) logs in as libpq does by
// itself: PGUSER, PGPASSWORD or ~/.pgpass, or the operating-system account. The location
// and file commands act as the store user of that same login, with that user's rights,
// which the server checks. Everything but init and demo is the embedded store's command.
#include "Commands.h"

#include "Args.h"
#include "DemoStore.h"
#include "pg/PgAdmin.h"

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
    admin.createStore(inv.storeFolder);
    fillDemoStore(admin, inv.server, inv.catalogue);
    out << "Demostore gemaakt op " << inv.server << " (catalogus " << inv.catalogue << "); bestanden in "
        << inv.storeFolder << ".\n";
    printDemoConnection(inv.server, inv.catalogue, out);
    return ExitOk;
}

} // namespace

int runServerCommand(const Invocation &inv, QTextStream &out, QTextStream &err)
{
    const QString command = inv.words.value(0);
    if (inv.catalogue.isEmpty())
        throw UsageError{QStringLiteral("Geef bij --server ook de database op met --catalog.")};
    pg::PgAdmin admin(inv.server, inv.catalogue);
    if (command == QLatin1String("init")) {
        if (inv.words.size() != 1)
            throw UsageError{QStringLiteral("Gebruik: dwstore --server HOST[:POORT] --catalog DATABASE --store MAP init")};
        admin.createStore(inv.storeFolder);
        out << "Serverstore " << inv.catalogue << " gemaakt op " << inv.server << "; bestanden in " << inv.storeFolder
            << ".\n";
        return ExitOk;
    }
    if (command == QLatin1String("demo"))
        return demoCommand(admin, inv, out);
    if (isSharedCommand(command))
        return sharedCommand(admin, inv, out, err);
    throw UsageError{QStringLiteral("Gebruik: dwstore --server HOST[:POORT] --catalog DATABASE init --store MAP | "
                                    "user add|list|set | location add|list|rename | import MAP | ls ID | "
                                    "who [--older-than DAGEN] [--user NAAM] | undo-checkout ID | demo [--reset] --store MAP")};
}
