#include "fs/FileOps.h"

#include "fs/FaultInjection.h"
#include "fs/OpenAt.h"
#include "DwError.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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

#ifdef Q_OS_UNIX
using OpenAt::Fd;
using OpenAt::NewFile;
using OpenAt::Parent;

namespace {
// Renames between two opened folders; without `replace` an existing target is refused by
// the rename itself, so no file put there meanwhile can be overwritten.
void renameAt(const Parent &from, const Parent &to, bool replace, const QString &target)
{
    if (from.missing || to.missing)
        failErrno(ENOENT, target);
#ifdef __linux__
    const int rc = ::renameat2(from.at(), from.name.constData(), to.at(), to.name.constData(), replace ? 0 : RENAME_NOREPLACE);
#else
    if (!replace && OpenAt::modeAt(to) != 0)
        failErrno(EEXIST, target);
    const int rc = ::renameat(from.at(), from.name.constData(), to.at(), to.name.constData());
#endif
    if (rc != 0)
        failErrno(errno, target);
}

void syncFolderAt(const Parent &parent)
{
    if (parent.missing)
        return;
    // A chosen path's folder is the one its whole path names; otherwise the opened one.
    const QByteArray folder = parent.follow ? QFile::encodeName(QFileInfo(QFile::decodeName(parent.name)).path())
                                            : QByteArrayLiteral(".");
    const Fd dir(::openat(parent.at(), folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir)
        ::fsync(dir.get());
}
} // namespace

Kind kindOf(const Path &path)
{
    const unsigned mode = OpenAt::modeAt(OpenAt::parentOf(path, false));
    if (mode == 0)
        return Kind::Missing;
    if (S_ISREG(mode))
        return Kind::File;
    if (S_ISDIR(mode))
        return Kind::Folder;
    return S_ISLNK(mode) ? Kind::Link : Kind::Other;
}

namespace {
void requireKind(const Path &path, Kind kind, bool missingOk)
{
    const unsigned mode = OpenAt::modeAt(OpenAt::parentOf(path, false));
    if (mode == 0 && missingOk)
        return;
    if (mode == 0)
        failErrno(ENOENT, path.path());
    OpenAt::requireFileOrFolder(mode, path.path());
    if (kind == Kind::File && S_ISDIR(mode))
        failErrno(EISDIR, path.path());
    if (kind == Kind::Folder && !S_ISDIR(mode))
        throw DwError(DwError::FileAlreadyExists, QStringLiteral("Op de plaats van map '%1' staat een bestand.").arg(path.path()));
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

FileStamp stampOf(const Path &path)
{
    FileStamp stamp;
    const Parent parent = OpenAt::parentOf(path, false);
    struct stat st {};
    if (parent.missing || ::fstatat(parent.at(), parent.name.constData(), &st, parent.follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0)
        return stamp;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

void syncFolder(const Path &folder)
{
    try {
        const Fd dir = OpenAt::folder(folder, false, true);
        ::fsync(dir.get());
    } catch (const DwError &) {
        // A folder that went needs no flush.
    }
}

void install(const Path &staged, const Path &target, bool replace)
{
    FaultInjection::point("before-rename");
    const Parent to = OpenAt::parentOf(target, false);
    renameAt(OpenAt::parentOf(staged, false), to, replace, target.path());
    syncFolderAt(to);
}

void installUnflushed(const Path &staged, const Path &target)
{
    FaultInjection::point("before-rename");
    renameAt(OpenAt::parentOf(staged, false), OpenAt::parentOf(target, false), false, target.path());
}

void rename(const Path &from, const Path &to)
{
    const Parent a = OpenAt::parentOf(from, false), b = OpenAt::parentOf(to, false);
    // Another case of the same name may be the same entry on a file system that ignores
    // case; that rename replaces nothing.
    const bool caseOnly = from.path().compare(to.path(), Qt::CaseInsensitive) == 0;
    renameAt(a, b, caseOnly, to.path());
    syncFolderAt(b);
}

void removeFile(const Path &path)
{
    const Parent parent = OpenAt::parentOf(path, false);
    if (!parent.missing && ::unlinkat(parent.at(), parent.name.constData(), 0) != 0 && errno != ENOENT)
        failErrno(errno, path.path());
}

void discard(const Path &path) noexcept
{
    try {
        removeFile(path);
    } catch (...) {
        // Left for the check of the store to find.
    }
}

void removeFolder(const Path &path)
{
    const Parent parent = OpenAt::parentOf(path, false);
    const unsigned mode = OpenAt::modeAt(parent);
    if (mode == 0)
        return;
    if (!S_ISDIR(mode)) {
        OpenAt::requireFileOrFolder(mode, path.path());
        failErrno(ENOTDIR, path.path());
    }
    if (::unlinkat(parent.at(), parent.name.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT)
        failErrno(errno, path.path());
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
    const Parent at = OpenAt::parentOf(path, false), hiddenAt = OpenAt::parentOf(hidden, false);
    try {
        renameAt(at, hiddenAt, false, hidden.path());
    } catch (const DwError &) {
        return moveAside(path);
    }
    if (stampOf(hidden) == stamp) {
        ::unlinkat(hiddenAt.at(), hiddenAt.name.constData(), 0);
        return QString();
    }
    const Path back = kindOf(path) == Kind::Missing ? path : freePath(path);
    renameAt(hiddenAt, OpenAt::parentOf(back, false), false, back.path());
    return back.path();
}

QString moveAside(const Path &path)
{
    const QString name = path.fileName();
    const QString suffix = QFileInfo(name).suffix().isEmpty() ? QString() : QLatin1Char('.') + QFileInfo(name).suffix();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmmss"));
    const Parent from = OpenAt::parentOf(path, false);
    // A name taken meanwhile makes the rename fail; the next free one is tried then.
    for (int attempt = 0;; ++attempt) {
        const Path aside = freePath(path.parent().child(
            QStringLiteral("%1 (bewaard %2)%3").arg(QFileInfo(name).completeBaseName(), stamp, suffix)));
        try {
            renameAt(from, OpenAt::parentOf(aside, false), false, aside.path());
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
    const QFileInfo info(path.fileName());
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const Path folder = path.parent();
    for (int n = 2;; ++n) {
        const Path candidate = folder.child(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix));
        if (kindOf(candidate) == Kind::Missing)
            return candidate;
    }
}

void createFile(const Path &path)
{
    NewFile file;
    if (!file.create(path, false))
        failErrno(errno, path.path());
    file.kept = true;
}

void appendText(const Path &path, const QByteArray &text)
{
    const Parent parent = OpenAt::parentOf(path, true);
    const Fd fd(::openat(parent.at(), parent.name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC,
                         0666));
    struct stat st {};
    if (!fd) {
        if (errno == ELOOP)
            OpenAt::refuseLink(path.path());
        failErrno(errno, path.path());
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        OpenAt::refuseOther(path.path());
    for (qsizetype done = 0; done < text.size();) {
        const ssize_t n = ::write(fd.get(), text.constData() + done, size_t(text.size() - done));
        if (n < 0 && errno != EINTR)
            failErrno(errno, path.path());
        done += n > 0 ? n : 0;
    }
}

void makeFolder(const Path &folder)
{
    OpenAt::folder(folder, true);
}

#endif

} // namespace dwfm::store::FileOps
