// FileOps where the POSIX *at() calls are missing: the same operations through Qt on whole
// paths. Links are refused by a look before each step, which is weaker than walking
// relative to opened folders; the store's shared use is a Unix matter.
#include "fs/FileOps.h"

#include <QtGlobal>

#ifndef Q_OS_UNIX
#include "fs/ContentHash.h"
#include "fs/FaultInjection.h"
#include "DwError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>

namespace dwfm::store::FileOps {

namespace {
void requireNoLinkOnTheWay(const Path &path)
{
    QString at = path.anchor();
    for (const QString &part : path.relative().split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        at = join(at, part);
        if (QFileInfo(at).isSymLink())
            throw DwError(DwError::PermissionDenied,
                          QStringLiteral("'%1' is een symbolische koppeling; de store volgt geen koppelingen.").arg(at));
    }
}

void copyFile(const Path &source, const Path &target)
{
    requireRegular(source, false);
    requireNoLinkOnTheWay(target);
    if (QFileInfo::exists(target.path()) || QFileInfo(target.path()).isSymLink())
        failErrno(EEXIST, target.path());
    if (!QFile::copy(source.path(), target.path()))
        throw DwError(DwError::PathNotFound, QStringLiteral("Het bestand '%1' kan niet worden gekopieerd.").arg(source.path()));
}
} // namespace

Kind kindOf(const Path &path)
{
    requireNoLinkOnTheWay(path.parent());
    const QFileInfo info(path.path());
    if (info.isSymLink() && !path.isChosen())
        return Kind::Link;
    if (!info.exists())
        return Kind::Missing;
    return info.isFile() ? Kind::File : info.isDir() ? Kind::Folder : Kind::Other;
}

void copyNew(const Path &source, const Path &target, bool, QString *hash)
{
    copyFile(source, target);
    if (hash)
        *hash = hashFile(target).hash;
}

void writeNew(const Producer &produce, const Path &target, bool)
{
    requireNoLinkOnTheWay(target);
    QFile file(target.path());
    if (!file.open(QIODevice::NewOnly | QIODevice::WriteOnly))
        failErrno(EEXIST, target.path());
    try {
        produce([&](const char *data, qint64 size) {
            if (file.write(data, size) != size)
                failErrno(ENOSPC, target.path());
        });
        if (!file.flush())
            failErrno(ENOSPC, target.path());
    } catch (...) {
        file.remove();
        throw;
    }
}

int openForReading(const Path &path)
{
    requireRegular(path, false);
    const int fd = ::open(QFile::encodeName(path.path()).constData(), O_RDONLY);
    if (fd < 0)
        failErrno(errno, path.path());
    return fd;
}

NewCopy copyIfAbsent(const Path &source, const Path &target)
{
    if (kindOf(source) == Kind::Missing)
        return NewCopy::SourceMissing;
    if (kindOf(target) != Kind::Missing)
        return NewCopy::TargetExists;
    makeFolder(target.parent());
    copyFile(source, target);
    return NewCopy::Made;
}

FileStamp stampOf(const Path &path)
{
    FileStamp stamp;
    const QFileInfo info(path.path());
    if (info.exists()) {
        stamp.size = info.size();
        stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    }
    return stamp;
}

Staged stage(const Path &source, const Path &target, bool, bool hashed)
{
    Staged staged{target, stampOf(source)};
    makeFolder(target.parent());
    copyFile(source, target);
    FaultInjection::point("after-stage");
    try {
        requireUnchanged(source, staged.source);
    } catch (...) {
        QFile::remove(target.path());
        throw;
    }
    if (hashed)
        staged.hash = hashFile(target).hash;
    return staged;
}

void dropCache(const Path &) {}
void syncFolder(const Path &) {}
void flushAll(const QList<Path> &) {}

void install(const Path &staged, const Path &target, bool replace)
{
    FaultInjection::point("before-rename");
    requireNoLinkOnTheWay(target);
    if (replace)
        QFile::remove(target.path());
    if (!QFile::rename(staged.path(), target.path()))
        failErrno(EEXIST, target.path());
}

void installUnflushed(const Path &staged, const Path &target, bool replace)
{
    install(staged, target, replace);
}

void keepAside(const Path &current, const Path &kept)
{
    if (kindOf(kept) != Kind::Missing || kindOf(current) == Kind::Missing)
        return;
    requireRegular(current, false);
    makeFolder(kept.parent());
    rename(current, kept);
}

Hashed hashFile(const Path &path)
{
    requireRegular(path, false);
    Hashed hashed{QString(), stampOf(path)};
    QFile file(path.path());
    if (!file.open(QIODevice::ReadOnly))
        failErrno(EACCES, path.path());
    ContentHash hash;
    QByteArray piece;
    while (!(piece = file.read(1 << 20)).isEmpty())
        hash.add(piece.constData(), size_t(piece.size()));
    hashed.hash = hash.finish();
    return hashed;
}

void rename(const Path &from, const Path &to)
{
    requireNoLinkOnTheWay(from);
    requireNoLinkOnTheWay(to);
    if (!QDir().rename(from.path(), to.path()))
        failErrno(EEXIST, to.path());
}

void removeFile(const Path &path)
{
    requireNoLinkOnTheWay(path.parent());
    QFile::remove(path.path());
}

void removeFolder(const Path &path)
{
    if (kindOf(path) == Kind::Folder && !QDir().rmdir(path.path()))
        failErrno(ENOTEMPTY, path.path());
}

PreparedFile::PreparedFile(const Path &source, const Path &folder) : m_path(folder)
{
    makeFolder(folder);
    m_named = tempName();
    copyFile(source, folder.child(m_named));
}

PreparedFile::PreparedFile(const Producer &produce, const Path &folder) : m_path(folder)
{
    makeFolder(folder);
    m_named = tempName();
    writeNew(produce, folder.child(m_named), false);
}

PreparedFile::~PreparedFile()
{
    if (!m_named.isEmpty())
        QFile::remove(join(m_path.path(), m_named));
}

void PreparedFile::place(const QString &name, bool flush)
{
    if (flush)
        install(m_path.child(m_named), m_path.child(name), false);
    else
        installUnflushed(m_path.child(m_named), m_path.child(name), false);
    m_named.clear();
}

bool sameContent(const Path &a, const Path &b)
{
    if (kindOf(a) == Kind::Missing || kindOf(b) == Kind::Missing)
        return false;
    requireRegular(a, false);
    requireRegular(b, false);
    QFile fa(a.path()), fb(b.path());
    return fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly) && fa.readAll() == fb.readAll();
}

void createFile(const Path &path)
{
    requireNoLinkOnTheWay(path);
    QFile file(path.path());
    if (file.exists() || !file.open(QIODevice::NewOnly))
        failErrno(EEXIST, path.path());
}

void appendText(const Path &path, const QByteArray &text)
{
    requireRegular(path, true);
    QFile file(path.path());
    if (!file.open(QIODevice::Append) || file.write(text) != text.size())
        failErrno(EACCES, path.path());
}

void makeFolder(const Path &folder)
{
    requireNoLinkOnTheWay(folder);
    makePath(folder.path());
}

} // namespace dwfm::store::FileOps
#endif
