#include "fs/OpenAt.h"

#include "fs/FileOps.h"
#include "DwError.h"

#include <QFile>
#include <QList>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dwfm::store::OpenAt {

namespace {
// Folders on the way are opened only to find what lies below them (no read right needed).
#ifdef O_PATH
constexpr int WalkFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int WalkFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

QList<QByteArray> partsOf(const AnchoredPath &path)
{
    QList<QByteArray> parts;
    for (const QString &part : path.relative().split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".") || part == QLatin1String(".."))
            throw DwError(DwError::InputError, QStringLiteral("Het pad '%1' gaat buiten zijn map.").arg(path.path()));
        parts << QFile::encodeName(part);
    }
    return parts;
}

QString upTo(const AnchoredPath &path, const QList<QByteArray> &parts, qsizetype last)
{
    QString out = path.anchor();
    for (qsizetype i = 0; i <= last; ++i)
        out = FileOps::join(out, QFile::decodeName(parts[i]));
    return out;
}

// Says why `name` in `dir` could not be opened as a folder: a link, something that is no
// folder, or the system's own reason.
[[noreturn]] void explainFolder(int dir, const QByteArray &name, const QString &what, int err)
{
    struct stat st {};
    if (::fstatat(dir, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(st.st_mode))
            FileOps::refuseLink(what);
        if (!S_ISDIR(st.st_mode))
            throw DwError(DwError::PathNotFound, QStringLiteral("'%1' is geen map.").arg(what));
    }
    FileOps::failErrno(err, what);
}

// One folder down from `dir`, made when missing and `make` is set; -1 when it is missing
// and not to be made.
int stepDown(int dir, const QByteArray &name, bool make, const QString &what, int flags = WalkFlags)
{
    for (int attempt = 0;; ++attempt) {
        const int fd = ::openat(dir, name.constData(), flags | O_NOFOLLOW);
        if (fd >= 0)
            return fd;
        const int err = errno;
        if (err == ENOENT && !make)
            return -1;
        if (err == ENOENT && attempt < 2) {
            // Another process may make it at the same moment; then it is simply there.
            if (::mkdirat(dir, name.constData(), 0777) != 0 && errno != EEXIST)
                FileOps::failErrno(errno, what);
            continue;
        }
        explainFolder(dir, name, what, err);
    }
}

int openAnchor(const QString &anchor, bool make, int flags = WalkFlags)
{
    const QByteArray path = QFile::encodeName(anchor);
    int fd = ::open(path.constData(), flags);
    if (fd < 0 && errno == ENOENT && make) {
        FileOps::makePath(anchor);
        fd = ::open(path.constData(), flags);
    }
    return fd;
}
} // namespace

Fd::~Fd()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int Parent::at() const
{
    return folder ? folder.get() : AT_FDCWD;
}

void requireFileOrFolder(unsigned mode, const QString &path)
{
    if (S_ISLNK(mode))
        FileOps::refuseLink(path);
    if (!S_ISREG(mode) && !S_ISDIR(mode))
        FileOps::refuseOther(path);
}

Parent parentOf(const AnchoredPath &path, bool makeFolders)
{
    Parent parent;
    if (path.isChosen()) {
        parent.name = QFile::encodeName(path.path());
        parent.follow = true;
        if (makeFolders)
            FileOps::makePath(path.parent().path());
        return parent;
    }
    const QList<QByteArray> parts = partsOf(path);
    Fd dir(openAnchor(path.anchor(), makeFolders));
    if (!dir) {
        if (errno != ENOENT)
            FileOps::failErrno(errno, path.anchor());
        parent.missing = true;
        return parent;
    }
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        Fd next(stepDown(dir.get(), parts[i], makeFolders, upTo(path, parts, i)));
        if (!next) {
            parent.missing = true;
            return parent;
        }
        dir = std::move(next);
    }
    parent.folder = std::move(dir);
    parent.name = parts.last();
    return parent;
}

Fd folder(const AnchoredPath &path, bool makeFolders, bool forSync)
{
    const int flags = forSync ? O_RDONLY | O_DIRECTORY | O_CLOEXEC : WalkFlags;
    Fd fd;
    if (path.isChosen()) {
        fd = Fd(openAnchor(path.path(), makeFolders, flags));
    } else {
        const Parent parent = parentOf(path, makeFolders);
        if (parent.missing)
            errno = ENOENT;
        else
            fd = Fd(stepDown(parent.at(), parent.name, makeFolders, path.path(), flags));
    }
    if (!fd)
        FileOps::failErrno(errno, path.path());
    return fd;
}

unsigned modeAt(const Parent &parent)
{
    if (parent.missing)
        return 0;
    struct stat st {};
    if (::fstatat(parent.at(), parent.name.constData(), &st, parent.follow ? 0 : AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return 0;
        FileOps::failErrno(errno, QFile::decodeName(parent.name));
    }
    return unsigned(st.st_mode);
}

Fd openRegular(const AnchoredPath &path)
{
    const Parent parent = parentOf(path, false);
    const unsigned mode = modeAt(parent);
    if (mode == 0)
        FileOps::failErrno(ENOENT, path.path());
    if (S_ISDIR(mode))
        FileOps::failErrno(EISDIR, path.path());
    requireFileOrFolder(mode, path.path());
    // Not blocking: should a pipe have taken the file's place since the look above, the
    // open does not wait for a writer, and the check below refuses it.
    Fd fd(::openat(parent.at(), parent.name.constData(),
                   O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | (parent.follow ? 0 : O_NOFOLLOW)));
    if (!fd) {
        if (errno == ELOOP)
            FileOps::refuseLink(path.path());
        FileOps::failErrno(errno, path.path());
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        FileOps::failErrno(errno, path.path());
    if (!S_ISREG(st.st_mode))
        FileOps::refuseOther(path.path());
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

NewFile::~NewFile()
{
    if (fd && !kept)
        ::unlinkat(parent.at(), parent.name.constData(), 0);
}

bool NewFile::create(const AnchoredPath &at, bool makeFolders)
{
    path = at.path();
    parent = parentOf(at, makeFolders);
    if (parent.missing) {
        errno = ENOENT;
        return false;
    }
    // With O_EXCL nothing that lies there is used, not even a link that points nowhere.
    fd = Fd(::openat(parent.at(), parent.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    return bool(fd);
}

} // namespace dwfm::store::OpenAt
#endif
