#include "Commands.h"

#include "Args.h"

#include "DemoStore.h"
#include "PasswordInput.h"
#include "DwFileStoreSession.h"
#include "StoreFolders.h"
#include "admin/StoreAdmin.h"
#include "DwError.h"
#include "HeldProjects.h"
#include "ProjectVersions.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace dwfm;
using namespace dwfm::store;

namespace {

qint32 number(const QString &text, const QString &what)
{
    bool ok = false;
    const qint32 n = text.toInt(&ok);
    if (!ok)
        throw UsageError{QStringLiteral("%1 moet een getal zijn, niet '%2'.").arg(what, text)};
    return n;
}

bool yesNo(const QString &text, const QString &what)
{
    const QString t = text.toLower();
    if (t == QLatin1String("ja") || t == QLatin1String("yes") || t == QLatin1String("1") || t == QLatin1String("true"))
        return true;
    if (t == QLatin1String("nee") || t == QLatin1String("no") || t == QLatin1String("0") || t == QLatin1String("false"))
        return false;
    throw UsageError{QStringLiteral("%1 moet ja of nee zijn, niet '%2'.").arg(what, text)};
}

QString folderOf(const Invocation &inv)
{
    return inv.storeFolder.isEmpty() ? StoreFolders::defaultStoreFolder() : QDir(inv.storeFolder).absolutePath();
}

QString catalogueOf(const Invocation &inv, const QString &fallback = StoreFolders::defaultCatalogue())
{
    return inv.catalogue.isEmpty() ? fallback : inv.catalogue;
}

} // namespace

StoreAdmin openAdmin(const Invocation &inv)
{
    return StoreAdmin(DwFileStoreSession::openAsAdministrator(folderOf(inv), catalogueOf(inv),
                                                              StoreFolders::osAccount()));
}

namespace {

void need(const Args &a, int count, const char *usage)
{
    if (a.positional.size() != count)
        throw UsageError{QStringLiteral("Gebruik: dwstore %1").arg(QLatin1String(usage))};
}

UserChange userChange(const Args &a, const QString &user)
{
    UserChange c;
    if (a.has(QStringLiteral("name")))
        c.name = a.options[QStringLiteral("name")];
    if (a.has(QStringLiteral("password")) || a.has(QStringLiteral("password-stdin")))
        c.password = readNewPassword(user, a.has(QStringLiteral("password-stdin")) ? PasswordSource::StandardInput
                                                                                   : PasswordSource::Terminal);
    if (a.has(QStringLiteral("admin")))
        c.admin = yesNo(a.options[QStringLiteral("admin")], QStringLiteral("--admin"));
    if (a.has(QStringLiteral("read-only")))
        c.readOnly = yesNo(a.options[QStringLiteral("read-only")], QStringLiteral("--read-only"));
    if (a.has(QStringLiteral("working-root")))
        c.workingRoot = a.options[QStringLiteral("working-root")];
    if (a.has(QStringLiteral("roots"))) {
        QList<qint32> roots;
        for (const QString &r : a.options[QStringLiteral("roots")].split(QLatin1Char(','), Qt::SkipEmptyParts))
            roots << number(r.trimmed(), QStringLiteral("Een root"));
        c.roots = roots;
    }
    return c;
}

const QStringList UserOptions = {QStringLiteral("name"),      QStringLiteral("admin"),        QStringLiteral("read-only"),
                                 QStringLiteral("working-root"), QStringLiteral("roots"),      QStringLiteral("checkouts")};
const QStringList UserFlags = {QStringLiteral("password"), QStringLiteral("password-stdin")};

// A password given after --password would show in every process list and the shell's
// history: that command line is refused with the way to do it instead.
void refusePasswordValue(const QStringList &words, const Args &a, int expected)
{
    const qsizetype at = words.indexOf(QStringLiteral("--password"));
    if (a.positional.size() > expected && at >= 0 && at + 1 < words.size() && !words[at + 1].startsWith(QLatin1String("--"))) {
        throw UsageError{QStringLiteral("Een wachtwoord hoort niet op de opdrachtregel, waar elk proces het kan lezen: geef "
                                        "--password zonder waarde (dwstore vraagt erom) of --password-stdin.")};
    }
}

HeldFiles heldFiles(const Args &a)
{
    const QString what = a.options.value(QStringLiteral("checkouts")).toLower();
    if (what.isEmpty())
        return HeldFiles::Undecided;
    if (what == QLatin1String("vrijgeven"))
        return HeldFiles::Release;
    if (what == QLatin1String("behouden"))
        return HeldFiles::Keep;
    throw UsageError{QStringLiteral("--checkouts moet vrijgeven of behouden zijn, niet '%1'.").arg(what)};
}

int userCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out)
{
    const QStringList words = inv.words.mid(1);
    const Args a(words, UserOptions, UserFlags);
    const QString sub = a.positional.value(0);
    if (sub == QLatin1String("add") || sub == QLatin1String("set")) {
        refusePasswordValue(words, a, 2);
        need(a, 2, sub == QLatin1String("add")
                       ? "user add ID [--name N] [--password | --password-stdin] [--admin ja|nee] [--read-only ja|nee] "
                         "[--working-root MAP] [--roots 1,2]"
                       : "user set ID [--name N] [--password | --password-stdin] [--admin ja|nee] [--read-only ja|nee] "
                         "[--working-root MAP] [--roots 1,2]");
        const QString id = a.positional[1];
        if (sub == QLatin1String("add")) {
            admin.requireAddable(id); // before the password is asked for
            admin.addUser(id, userChange(a, id));
            out << "Gebruiker " << id << " toegevoegd.\n";
        } else {
            admin.changeUser(id, userChange(a, id));
            out << "Gebruiker " << id << " gewijzigd.\n";
        }
    } else if (sub == QLatin1String("remove")) {
        need(a, 2, "user remove ID [--checkouts vrijgeven|behouden]");
        const RemovedUser removed = admin.removeUser(a.positional[1], heldFiles(a));
        out << "Gebruiker " << a.positional[1] << " verwijderd";
        if (removed.released > 0)
            out << "; " << removed.released << " bestand(en) vrijgegeven";
        if (removed.kept > 0)
            out << "; " << removed.kept << " bestand(en) blijven op naam van " << a.positional[1] << " in gebruik";
        out << ".\n";
        if (!removed.note.isEmpty())
            out << removed.note << "\n";
    } else if (sub == QLatin1String("list")) {
        need(a, 1, "user list");
        for (const UserRecord &u : admin.users()) {
            QStringList roots;
            for (qint32 r : u.roots)
                roots << QString::number(r);
            out << u.id << "\t" << u.name << "\t" << (u.admin ? "beheerder" : "gebruiker") << (u.readOnly ? ", alleen lezen" : "")
                << (u.hasPassword ? ", wachtwoord" : ", geen wachtwoord") << "\twerkmap: "
                << (u.workingRoot.isEmpty() ? admin.defaultWorkingRoot(u.id) : u.workingRoot)
                << "\troots: " << (roots.isEmpty() ? QStringLiteral("alle hoofdlocaties") : roots.join(QLatin1Char(','))) << "\n";
        }
    } else {
        throw UsageError{QStringLiteral("Gebruik: dwstore user add|list|set|remove ...")};
    }
    return ExitOk;
}

void listLocations(FileStoreSession &s, qint32 parent, int depth, QTextStream &out)
{
    RecordsetPtr rs;
    if (!s.Locations().GetChildLocations(rs, parent))
        return;
    for (; !rs->isEof(); rs->moveNext()) {
        const qint32 id = rs->value(QStringLiteral("ChildID")).toInt();
        const qint32 kind = s.Locations().GetLocationKind(id);
        out << QString(depth * 2, QLatin1Char(' ')) << id << "\t" << rs->value(QStringLiteral("childpath")).toString()
            << (kind == LocationsService::KindFiles ? "" : "\t(archief)") << "\n";
        listLocations(s, id, depth + 1, out);
    }
}

int locationCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {QStringLiteral("parent"), QStringLiteral("kind")}, {});
    const QString sub = a.positional.value(0);
    FileStoreSession &s = admin.store();
    if (sub == QLatin1String("add")) {
        need(a, 2, "location add NAAM [--parent ID] [--kind 9|1]");
        const qint32 parent = a.has(QStringLiteral("parent")) ? number(a.options[QStringLiteral("parent")], QStringLiteral("--parent")) : 0;
        qint32 id = 0;
        if (!s.Locations().CreateLocation(a.positional[1], QString(), parent, id))
            throw DwError(s.Database().LastErrorNumber(), s.Database().LastError());
        if (a.has(QStringLiteral("kind")))
            admin.setLocationKind(id, number(a.options[QStringLiteral("kind")], QStringLiteral("--kind")));
        out << "Locatie " << id << " (" << s.Locations().GetLocationPath(id) << ") gemaakt.\n";
    } else if (sub == QLatin1String("rename")) {
        need(a, 3, "location rename ID NAAM");
        if (!s.Locations().RenameLocation(number(a.positional[1], QStringLiteral("ID")), a.positional[2]))
            throw DwError(s.Database().LastErrorNumber(), s.Database().LastError());
        out << "Locatie hernoemd.\n";
    } else if (sub == QLatin1String("list")) {
        need(a, 1, "location list");
        listLocations(s, 0, 0, out);
    } else {
        throw UsageError{QStringLiteral("Gebruik: dwstore location add|list|rename ...")};
    }
    return ExitOk;
}

int importCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out, QTextStream &err)
{
    const Args a(inv.words.mid(1), {QStringLiteral("parent")}, {});
    need(a, 1, "import MAP [--parent ID]");
    const qint32 parent = a.has(QStringLiteral("parent")) ? number(a.options[QStringLiteral("parent")], QStringLiteral("--parent")) : 0;
    const ImportResult r = admin.importTree(a.positional[0], parent);
    out << "Geimporteerd in locatie " << r.locationId << ": " << r.locations << " locatie(s), " << r.files << " bestand(en).\n";
    for (const QString &s : r.skipped)
        err << "Overgeslagen: " << s << "\n";
    return r.skipped.isEmpty() ? ExitOk : ExitFailed;
}

int lsCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {}, {});
    need(a, 1, "ls LOCATIE-ID");
    FileStoreSession &s = admin.store();
    const qint32 id = number(a.positional[0], QStringLiteral("LOCATIE-ID"));
    if (s.Locations().GetLocationDescription(id).isEmpty())
        throw DwError(DwError::ItemNotFound, QStringLiteral("Locatie %1 bestaat niet.").arg(id));
    out << s.Locations().GetLocationPath(id) << ":\n";
    RecordsetPtr rs;
    if (!s.Projects().GetProjectsInLocation(rs, id)) {
        out << "  (geen bestanden)\n";
        return ExitOk;
    }
    for (; !rs->isEof(); rs->moveNext()) {
        out << rs->value(QStringLiteral("Projectid")).toInt() << "\t" << rs->value(QStringLiteral("FileName")).toString();
        if (rs->value(QStringLiteral("CheckedOut")).toBool()) {
            out << "\tin gebruik bij " << rs->value(QStringLiteral("UserID")).toString() << " sinds "
                << rs->value(QStringLiteral("Checkoutdate")).toDateTime().toString(QStringLiteral("dd-MM-yyyy HH:mm"))
                << " op [" << rs->value(QStringLiteral("ComputerName")).toString() << "]"
                << rs->value(QStringLiteral("ProjectCheckoutlocation")).toString();
            const QString remark = rs->value(QStringLiteral("CheckOutDescription")).toString();
            if (!remark.isEmpty())
                out << " (" << remark << ")";
        } else {
            out << "\tvrij";
        }
        out << "\n";
    }
    return ExitOk;
}

int undoCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {QStringLiteral("remark")}, {});
    need(a, 1, "undo-checkout BESTAND-ID [--remark TEKST]");
    FileStoreSession &s = admin.store();
    const qint32 id = number(a.positional[0], QStringLiteral("BESTAND-ID"));
    if (!s.Projects().CancelCheckOut(id, a.options.value(QStringLiteral("remark")), false))
        throw DwError(s.Database().LastErrorNumber(), s.Database().LastError());
    out << "Het in gebruik nemen van bestand " << id << " is ongedaan gemaakt.\n";
    return ExitOk;
}

// The held files, longest held first: ID, the file's place in the store, holder, since
// when and for how many days, and the computer and folder of the working copy.
int whoCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {QStringLiteral("older-than"), QStringLiteral("user")}, {});
    need(a, 0, "who [--older-than DAGEN] [--user NAAM]");
    const qint32 days = a.has(QStringLiteral("older-than"))
        ? number(a.options[QStringLiteral("older-than")], QStringLiteral("--older-than"))
        : 0;
    if (days < 0)
        throw UsageError{QStringLiteral("--older-than moet 0 of meer dagen zijn, niet %1.").arg(days)};
    FileStoreSession &s = admin.store();
    auto *holders = dynamic_cast<HeldProjects *>(&s.Projects());
    if (!holders)
        throw DwError(DwError::InvalidProcedureCall, QStringLiteral("Deze store kan niet opsommen wat in gebruik is."));
    RecordsetPtr rs;
    if (!holders->GetHeldProjects(rs, a.options.value(QStringLiteral("user")), days)) {
        if (s.Database().LastErrorNumber() != 0 && !s.Database().LastError().isEmpty())
            throw DwError(s.Database().LastErrorNumber(), s.Database().LastError());
        out << "Er zijn geen bestanden in gebruik" << (days > 0 ? QStringLiteral(" sinds %1 dagen of langer").arg(days) : QString())
            << ".\n";
        return ExitOk;
    }
    const QDate today = QDate::currentDate();
    for (; !rs->isEof(); rs->moveNext()) {
        const QDateTime since = rs->value(QStringLiteral("Checkoutdate")).toDateTime();
        const qint64 held = since.isValid() ? since.date().daysTo(today) : 0;
        out << rs->value(QStringLiteral("Projectid")).toInt() << "\t" << rs->value(QStringLiteral("LocationPath")).toString()
            << "/" << rs->value(QStringLiteral("FileName")).toString() << "\t" << rs->value(QStringLiteral("UserID")).toString()
            << "\tsinds " << since.toString(QStringLiteral("dd-MM-yyyy HH:mm")) << " (" << held
            << (held == 1 ? " dag" : " dagen") << ")\t[" << rs->value(QStringLiteral("ComputerName")).toString() << "]"
            << rs->value(QStringLiteral("ProjectCheckoutlocation")).toString() << "\n";
    }
    return ExitOk;
}

int versionsCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {}, {});
    need(a, 1, "versions BESTAND-ID");
    FileStoreSession &s = admin.store();
    const qint32 id = number(a.positional[0], QStringLiteral("BESTAND-ID"));
    auto *versions = dynamic_cast<ProjectVersions *>(&s.Projects());
    if (!versions)
        throw DwError(DwError::CannotCreateObject, QStringLiteral("Deze store bewaart geen versies."));
    RecordsetPtr rs;
    if (!versions->GetProjectVersions(rs, id))
        throw DwError(s.Database().LastErrorNumber(), s.Database().LastError());
    out << s.Projects().GetProjectLocationPath(id) << s.Projects().GetProjectFileName(id) << " (bestand " << id << "):\n";
    for (; !rs->isEof(); rs->moveNext()) {
        const QString hash = rs->value(QStringLiteral("Hash")).toString();
        out << "  versie " << rs->value(QStringLiteral("Version")).toInt() << "	"
            << rs->value(QStringLiteral("VersionDate")).toDateTime().toString(QStringLiteral("dd-MM-yyyy HH:mm")) << "	"
            << rs->value(QStringLiteral("UserName")).toString() << "	" << rs->value(QStringLiteral("Size")).toLongLong()
            << " bytes	" << (hash.isEmpty() ? QStringLiteral("(nog geen controlesom)") : hash.left(12)) << "	"
            << rs->value(QStringLiteral("Remark")).toString();
        if (rs->value(QStringLiteral("IsCurrent")).toBool())
            out << "	(huidige inhoud)";
        if (rs->value(QStringLiteral("IsCheckOutBase")).toBool())
            out << "	(basis van de check-out)";
        out << "\n";
    }
    return ExitOk;
}

int pruneCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {QStringLiteral("keep"), QStringLiteral("older-than")}, {});
    need(a, 0, "prune [--keep N] [--older-than DAGEN]");
    PruneRules rules;
    if (a.has(QStringLiteral("keep")))
        rules.keep = number(a.options[QStringLiteral("keep")], QStringLiteral("--keep"));
    if (a.has(QStringLiteral("older-than")))
        rules.olderThanDays = number(a.options[QStringLiteral("older-than")], QStringLiteral("--older-than"));
    const PruneResult r = admin.prune(rules);
    const ContentTotals kept = admin.storedContent();
    out << "Verwijderd: " << r.versions << " versie(s) en " << r.contents << " inhoud(en) die niemand meer gebruikte ("
        << r.bytes << " bytes).\nBewaard: " << kept.contents << " verschillende inhoud(en), " << kept.bytes << " bytes.\n";
    return ExitOk;
}

int demoCommand(const Invocation &inv, QTextStream &out)
{
    const Args a(inv.words.mid(1), {}, {QStringLiteral("reset")});
    need(a, 0, "demo [--reset]");
    const QString folder = folderOf(inv);
    const QString catalogue = catalogueOf(inv, QStringLiteral("Demo"));
    const QString dbPath = StoreFolders::databasePath(folder, catalogue);
    if (QFileInfo::exists(dbPath)) {
        if (!a.has(QStringLiteral("reset"))) {
            out << "De demostore bestaat al in " << folder << ".\n";
            printDemoConnection(folder, catalogue, out);
            return ExitOk;
        }
        for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")}) {
            QFile::remove(dbPath + suffix);
            QFile::remove(StoreFolders::searchDatabasePath(folder, catalogue) + suffix);
        }
        QDir(StoreFolders::rootFolder(folder, catalogue)).removeRecursively();
        QDir(StoreFolders::contentFolder(folder, catalogue)).removeRecursively();
    }
    StoreAdmin::createStore(folder, catalogue);
    StoreAdmin admin(DwFileStoreSession::openAsAdministrator(folder, catalogue, QStringLiteral("demo")));
    fillDemoStore(admin, folder, catalogue);
    out << "Demostore gemaakt in " << folder << " (catalogus " << catalogue << ").\n";
    printDemoConnection(folder, catalogue, out);
    return ExitOk;
}

} // namespace

bool isSharedCommand(const QString &command)
{
    static const QStringList shared{"user", "location", "import", "ls", "who", "undo-checkout", "versions", "prune", "check", "repair"};
    return shared.contains(command);
}

int sharedCommand(StoreAdministration &admin, const Invocation &inv, QTextStream &out, QTextStream &err)
{
    const QString command = inv.words.value(0);
    if (command == QLatin1String("user"))
        return userCommand(admin, inv, out);
    if (command == QLatin1String("location"))
        return locationCommand(admin, inv, out);
    if (command == QLatin1String("import"))
        return importCommand(admin, inv, out, err);
    if (command == QLatin1String("ls"))
        return lsCommand(admin, inv, out);
    if (command == QLatin1String("who"))
        return whoCommand(admin, inv, out);
    if (command == QLatin1String("versions"))
        return versionsCommand(admin, inv, out);
    if (command == QLatin1String("prune"))
        return pruneCommand(admin, inv, out);
    if (command == QLatin1String("check") || command == QLatin1String("repair")) {
        const Args a(inv.words.mid(1), {}, {QStringLiteral("yes"), QStringLiteral("deep")});
        if (!a.positional.isEmpty() || (command == QLatin1String("check") && a.has(QStringLiteral("yes"))))
            throw UsageError{QStringLiteral("Gebruik: dwstore check [--deep] | dwstore repair [--deep] [--yes]")};
        return checkCommand(admin, command == QLatin1String("repair"), a.has(QStringLiteral("deep")),
                            a.has(QStringLiteral("yes")), out);
    }
    return undoCommand(admin, inv, out);
}

void printDemoConnection(const QString &server, const QString &catalogue, QTextStream &out)
{
    out << "Verbinden: server \"" << server << "\", catalogus \"" << catalogue
        << "\", gebruiker \"demo\", wachtwoord \"demo\", SQL-beveiliging aan\n"
        << "  (of gebruiker \"collega\" / \"collega\"; of SQL-beveiliging uit als " << StoreFolders::osAccount() << ").\n";
}

void printUsage(QTextStream &out)
{
    out << "Gebruik: dwstore [--store MAP] [--catalog NAAM] OPDRACHT\n"
           "     of: dwstore --server SERVER --catalog DATABASE OPDRACHT   (serverstore; SERVER: HOST[:POORT],\n"
           "         postgresql://..., service=NAAM; libpq's PGSSLMODE, ~/.pgpass enz. gelden)\n"
           "  init                                  maak een lege store (server: de database, zonder map)\n"
           "  user add|set ID [--name N] [--password | --password-stdin] [--admin ja|nee]\n"
           "                  [--read-only ja|nee] [--working-root MAP] [--roots ID,ID]\n"
           "                                        --password: dwstore vraagt het wachtwoord (zonder echo);\n"
           "                                        --password-stdin: de eerste regel van standaardinvoer\n"
           "  user list\n"
           "  user remove ID [--checkouts vrijgeven|behouden]   wat er gebeurt met wat de gebruiker in gebruik heeft\n"
           "  location add NAAM [--parent ID] [--kind 9|1]   (9 = bestanden, 1 = archief)\n"
           "  location list | location rename ID NAAM\n"
           "  import MAP [--parent ID]              neem een mappenboom op\n"
           "  ls LOCATIE-ID                         bestanden en wie wat in gebruik heeft\n"
           "  who [--older-than DAGEN] [--user NAAM]  wie wat in gebruik heeft, langst eerst\n"
           "  undo-checkout BESTAND-ID [--remark T] als beheerder\n"
           "  versions BESTAND-ID                   alle bewaarde versies van een bestand\n"
           "  prune [--keep N] [--older-than DAGEN] verwijder oude versies (niet de huidige, niet de\n"
           "                                        basis van een check-out) en inhoud die niemand gebruikt\n"
           "  demo [--reset]                        maak de demostore (catalogus Demo)\n"
           "  timeouts [--lock T] [--idle T] [--statement T]   (server) time-outs van de sessies, b.v. 5s\n"
           "  check [--deep]                        klopen database en schijf met elkaar? (--deep: lees\n"
           "                                        alle inhoud terug tegen de controlesom)\n"
           "  repair [--deep] [--yes]               herstel wat check vindt (na bevestiging)\n"
           "  import-share MAP                      (server) werk een store met een gedeelde map bij en zet\n"
           "                                        de bestanden van die map over in de database\n"
           "Standaardmap: $DW_STORE_DIR of "
        << StoreFolders::defaultStoreFolder() << "\n";
}

int runCommand(const Invocation &inv, QTextStream &out, QTextStream &err)
{
    const QString command = inv.words.value(0);
    if (command == QLatin1String("init")) {
        need(Args(inv.words.mid(1), {}, {}), 0, "init");
        StoreAdmin::createStore(folderOf(inv), catalogueOf(inv));
        out << "Store " << catalogueOf(inv) << " gemaakt in " << folderOf(inv) << ".\n";
        return ExitOk;
    }
    if (isSharedCommand(command)) {
        StoreAdmin admin = openAdmin(inv);
        return sharedCommand(admin, inv, out, err);
    }
    if (command == QLatin1String("demo"))
        return demoCommand(inv, out);
    if (command.isEmpty() || command == QLatin1String("help")) {
        printUsage(command.isEmpty() ? err : out);
        return command.isEmpty() ? ExitUsage : ExitOk;
    }
    throw UsageError{QStringLiteral("Onbekende opdracht '%1'.").arg(command)};
}
