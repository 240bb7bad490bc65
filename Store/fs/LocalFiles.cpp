// The part of FileOps that works on the user's side of the store: view copies, free and
// kept-aside names beside a user's file, removing a working copy only when it is still the
// version stored, and comparing two files.
#include "fs/FileOps.h"

#include "DwError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstring>
#include <memory>

namespace dwfm::store::FileOps {

QString tempName()
{
    return QStringLiteral(".dwtmp-%1").arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
}

QString removeIfUnchanged(const QString &path, const FileStamp &stamp)
{
    if (stampOf(path) != stamp)
        return stampOf(path).size < 0 ? QString() : moveAside(path);
    // Taken out of the way first, so that a save that lands now makes a new file at `path`
    // instead of being deleted with the old one.
    const QString hidden = join(QFileInfo(path).absolutePath(), tempName());
    if (!QFile::rename(path, hidden))
        return moveAside(path);
    if (stampOf(hidden) == stamp) {
        QFile::remove(hidden);
        return QString();
    }
    const QString back = QFileInfo::exists(path) ? freePath(path) : path;
    QFile::rename(hidden, back);
    return back;
}

QString freePath(const QString &path)
{
    if (!QFileInfo::exists(path))
        return path;
    const QFileInfo info(path);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 2;; ++n) {
        const QString candidate = join(info.absolutePath(), QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

QString moveAside(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss"));
    const QString aside = freePath(join(info.absolutePath(),
                                        QStringLiteral("%1 (bewaard %2)%3").arg(info.completeBaseName(), stamp, suffix)));
    if (!QFile::rename(path, aside))
        throw DwError(DwError::PermissionDenied, QStringLiteral("Het bestand '%1' kan niet opzij worden gezet.").arg(path));
    return aside;
}

bool sameContent(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (!fa.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !fb.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
        || fa.size() != fb.size())
        return false;
    // Two fixed buffers: no allocation per block, and reads go straight to the files.
    constexpr qint64 Chunk = 1 << 20;
    std::unique_ptr<char[]> bufA(new char[Chunk]), bufB(new char[Chunk]);
    for (;;) {
        const qint64 na = fa.read(bufA.get(), Chunk);
        if (na < 0)
            return false;
        qint64 nb = 0;
        while (nb < na) {
            const qint64 n = fb.read(bufB.get() + nb, na - nb);
            if (n <= 0)
                return false;
            nb += n;
        }
        if (na == 0)
            return fb.read(bufB.get(), 1) == 0;
        if (std::memcmp(bufA.get(), bufB.get(), size_t(na)) != 0)
            return false;
    }
}

QString viewCopy(const QString &source, const QString &fileName, const QString &expectedHash)
{
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/dwbekijken-XXXXXX"));
    if (!dir.isValid())
        throw DwError(DwError::PathNotFound, QStringLiteral("Er kan geen tijdelijke map worden gemaakt."));
    dir.setAutoRemove(false);
    const QString path = join(dir.path(), fileName);
    try {
        QString hash;
        copyNew(source, path, false, expectedHash.isEmpty() ? nullptr : &hash);
        if (hash != expectedHash) {
            throw DwError(DwError::PathNotFound,
                          QStringLiteral("De bewaarde inhoud van '%1' is beschadigd (de controlesom klopt niet).").arg(fileName));
        }
    } catch (...) {
        dir.remove();
        throw;
    }
    return path;
}

} // namespace dwfm::store::FileOps
