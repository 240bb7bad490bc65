#include "admin/StoreAdministration.h"

#include "DwError.h"

#include <QDir>
#include <QFileInfo>

namespace dwfm::store {

namespace {
qint32 createLocation(FileStoreSession &s, const QString &name, qint32 parent)
{
    qint32 id = 0;
    if (!s.Locations().CreateLocation(name, QString(), parent, id))
        throw DwError(s.Database().LastErrorNumber(), s.Database().LastError());
    return id;
}
} // namespace

namespace {
[[noreturn]] void notOffered(const QString &what)
{
    throw DwError(DwError::CannotCreateObject, QStringLiteral("%1 is voor deze store (nog) niet beschikbaar.").arg(what));
}
} // namespace

PruneResult StoreAdministration::prune(const PruneRules &)
{
    notOffered(QStringLiteral("Opruimen van versies"));
}

ContentTotals StoreAdministration::storedContent()
{
    notOffered(QStringLiteral("Het overzicht van de bewaarde inhoud"));
}

QStringList StoreAdministration::check(bool)
{
    notOffered(QStringLiteral("De controle"));
}

QStringList StoreAdministration::repair(bool)
{
    notOffered(QStringLiteral("Het herstel"));
}

QString StoreAdministration::lostFolder()
{
    return QString();
}

ImportResult StoreAdministration::importTree(const QString &source, qint32 parentId)
{
    const QFileInfo info(source);
    if (!info.isDir())
        throw DwError(DwError::PathNotFound, QStringLiteral("De map '%1' bestaat niet.").arg(source));
    const QString inside = QDir::cleanPath(info.canonicalFilePath()) + QLatin1Char('/');
    for (const QString &own : ownFolders()) {
        const QString ownPath = QDir::cleanPath(QFileInfo(own).canonicalFilePath()) + QLatin1Char('/');
        if (ownPath.startsWith(inside) || inside.startsWith(ownPath)) {
            throw DwError(DwError::InputError,
                          QStringLiteral("De map '%1' hoort bij de store zelf en kan niet worden geïmporteerd.").arg(source));
        }
    }
    ImportResult result;
    result.locationId = createLocation(store(), info.fileName(), parentId);
    ++result.locations;
    importInto(info.absoluteFilePath(), result.locationId, result);
    return result;
}

void StoreAdministration::requireDecision(const QString &id, qsizetype held, HeldFiles what)
{
    if (held > 0 && what == HeldFiles::Undecided) {
        throw DwError(DwError::InputError,
                      QStringLiteral("Gebruiker '%1' heeft nog %2 bestand(en) in gebruik; zeg of die worden vrijgegeven of "
                                     "op naam van %1 blijven staan.").arg(id).arg(held));
    }
}

void StoreAdministration::importInto(const QString &source, qint32 locationId, ImportResult &result)
{
    const QDir dir(source);
    FileStoreSession &s = store();
    // A link is not followed: it could lead out of the tree or round in a circle. Pipes,
    // devices and sockets are not listed at all.
    for (const QFileInfo &entry : dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
        if (entry.isSymLink())
            result.skipped << QStringLiteral("%1: een symbolische koppeling wordt niet gevolgd.").arg(entry.absoluteFilePath());
        else if (!entry.isFile() && !entry.isDir())
            result.skipped << QStringLiteral("%1: geen gewoon bestand.").arg(entry.absoluteFilePath());
    }
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name)) {
        const qint32 id = s.Projects().AddProject(entry.absoluteFilePath(), locationId, QVariant(), true, true);
        if (id < 0)
            result.skipped << QStringLiteral("%1: %2").arg(entry.absoluteFilePath(), s.Database().LastError());
        else
            ++result.files;
    }
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Dirs | QDir::NoSymLinks | QDir::NoDotAndDotDot, QDir::Name)) {
        qint32 child = 0;
        try {
            child = createLocation(s, entry.fileName(), locationId);
        } catch (const DwError &e) {
            result.skipped << QStringLiteral("%1: %2").arg(entry.absoluteFilePath(), e.description());
            continue;
        }
        ++result.locations;
        importInto(entry.absoluteFilePath(), child, result);
    }
}

} // namespace dwfm::store
