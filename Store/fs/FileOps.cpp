#include "fs/FileOps.h"

#include "DwError.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>


namespace dwfm::store::FileOps {

void failErrno(int err, const QString &what)
{
    qint32 number = DwError::PathNotFound;
    switch (err) {
    case ENOENT:
        number = QFileInfo(what).dir().exists() ? DwError::FileNotFound : DwError::PathNotFound;
        break;
    case EEXIST:
        number = DwError::FileAlreadyExists;
        break;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        number = DwError::DiskFull;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
        number = DwError::PermissionDenied;
        break;
    default:
        number = DwError::PathNotFound;
    }
    throw DwError(number, QStringLiteral("Bestandsfout bij '%1': %2.").arg(what, QString::fromLocal8Bit(std::strerror(err))));
}

QString join(const QString &a, const QString &b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return a.endsWith(QLatin1Char('/')) ? a + b : a + QLatin1Char('/') + b;
}

void makePath(const QString &folder)
{
    if (!QDir().mkpath(folder))
        throw DwError(DwError::PathNotFound, QStringLiteral("De map '%1' kan niet worden aangemaakt.").arg(folder));
}

QString tempName()
{
    return QStringLiteral(".dwtmp-%1").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

void refuseLink(const QString &path)
{
    throw DwError(DwError::PermissionDenied,
                  QStringLiteral("'%1' is een symbolische koppeling; de store volgt geen koppelingen in zijn eigen "
                                 "mappen en in werkmappen.").arg(path));
}

void refuseOther(const QString &path)
{
    throw DwError(DwError::PermissionDenied,
                  QStringLiteral("'%1' is geen gewoon bestand en geen map; de store leest of schrijft het niet.").arg(path));
}

namespace {
void requireKind(const Path &path, Kind kind, bool missingOk)
{
    switch (kindOf(path)) {
    case Kind::Missing:
        if (!missingOk)
            failErrno(ENOENT, path.path());
        return;
    case Kind::Link:
        refuseLink(path.path());
    case Kind::Other:
        refuseOther(path.path());
    case Kind::Folder:
        if (kind == Kind::File)
            failErrno(EISDIR, path.path());
        return;
    case Kind::File:
        if (kind == Kind::Folder)
            throw DwError(DwError::FileAlreadyExists, QStringLiteral("Op de plaats van map '%1' staat een bestand.").arg(path.path()));
        return;
    }
}
} // namespace

void requireRegular(const Path &path, bool missingOk)
{
    requireKind(path, Kind::File, missingOk);
}

void requireFolder(const Path &path, bool missingOk)
{
    requireKind(path, Kind::Folder, missingOk);
}

void requireUnchanged(const Path &path, const FileStamp &stamp)
{
    if (stampOf(path) != stamp) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Het bestand '%1' werd gewijzigd terwijl het werd gekopieerd; probeer het opnieuw.")
                          .arg(path.path()));
    }
}

void discard(const Path &path) noexcept
{
    try {
        removeFile(path);
    } catch (...) {
        // Left for the check of the store to find.
    }
}

QString removeIfUnchanged(const Path &path, const FileStamp &stamp)
{
    const FileStamp now = stampOf(path);
    if (now.size < 0)
        return QString();
    if (now != stamp)
        return moveAside(path);
    // Taken out of the way first, so that a save that lands now makes a new file at `path`
    // instead of being deleted with the old one.
    const Path hidden = path.parent().child(tempName());
    try {
        rename(path, hidden);
    } catch (const DwError &) {
        return moveAside(path);
    }
    if (stampOf(hidden) == stamp) {
        discard(hidden);
        return QString();
    }
    const Path back = kindOf(path) == Kind::Missing ? path : freePath(path);
    rename(hidden, back);
    return back.path();
}

QString moveAside(const Path &path)
{
    const QFileInfo name(path.fileName());
    const QString suffix = name.suffix().isEmpty() ? QString() : QLatin1Char('.') + name.suffix();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss"));
    // A name taken meanwhile makes the rename fail; the next free one is tried then.
    for (int attempt = 0;; ++attempt) {
        const Path aside = freePath(path.parent().child(QStringLiteral("%1 (bewaard %2)%3").arg(name.completeBaseName(), stamp, suffix)));
        try {
            rename(path, aside);
            return aside.path();
        } catch (const DwError &e) {
            if (e.number() != DwError::FileAlreadyExists || attempt > 10) {
                throw DwError(DwError::PermissionDenied,
                              QStringLiteral("Het bestand '%1' kan niet opzij worden gezet.").arg(path.path()));
            }
        }
    }
}

Path freePath(const Path &path)
{
    if (kindOf(path) == Kind::Missing)
        return path;
    const QFileInfo name(path.fileName());
    const QString suffix = name.suffix().isEmpty() ? QString() : QLatin1Char('.') + name.suffix();
    for (int n = 2;; ++n) {
        const Path candidate = path.parent().child(QStringLiteral("%1 (%2)%3").arg(name.completeBaseName()).arg(n).arg(suffix));
        if (kindOf(candidate) == Kind::Missing)
            return candidate;
    }
}

namespace {
// A new folder of its own under the system's temporary folder, in which `make` makes the
// file `fileName`; answers its path. The folder goes again when `make` fails.
QString inNewTempFolder(const QString &fileName, const std::function<void(const Path &file)> &make)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/dwbekijken-XXXXXX"));
    if (!dir.isValid())
        throw DwError(DwError::PathNotFound, QStringLiteral("Er kan geen tijdelijke map worden gemaakt."));
    const QString path = join(dir.path(), fileName);
    make(Path::below(dir.path(), path));
    dir.setAutoRemove(false);
    return path;
}
} // namespace

QString viewCopy(const Path &source, const QString &fileName, const QString &expectedHash)
{
    return inNewTempFolder(fileName, [&](const Path &file) {
        QString hash;
        copyNew(source, file, false, expectedHash.isEmpty() ? nullptr : &hash);
        if (hash != expectedHash) {
            throw DwError(DwError::PathNotFound,
                          QStringLiteral("De bewaarde inhoud van '%1' is beschadigd (de controlesom klopt niet).").arg(fileName));
        }
    });
}

QString viewCopy(const Producer &produce, const QString &fileName)
{
    return inNewTempFolder(fileName, [&](const Path &file) { writeNew(produce, file, false); });
}

void PreparedFile::replace(const QString &name, bool flush)
{
    const Path target = m_path.child(name);
    requireRegular(target, true);
    if (kindOf(target) != Kind::Missing)
        moveAside(target);
    place(name, flush);
}

} // namespace dwfm::store::FileOps
