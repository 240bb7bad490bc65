// FileOps on POSIX systems: every path is opened through OpenAt, relative to the folder
// before it, without following links.
#include "fs/FileOps.h"

#include "fs/FaultInjection.h"
#include "fs/OpenAt.h"
#include "DwError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dwfm::store::FileOps {

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
}

void removeFile(const Path &path)
{
    const Parent parent = OpenAt::parentOf(path, false);
    if (!parent.missing && ::unlinkat(parent.at(), parent.name.constData(), 0) != 0 && errno != ENOENT)
        failErrno(errno, path.path());
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
            refuseLink(path.path());
        failErrno(errno, path.path());
    }
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        refuseOther(path.path());
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

} // namespace dwfm::store::FileOps
#endif
