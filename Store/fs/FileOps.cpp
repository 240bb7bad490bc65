#include "fs/FileOps.h"

#include "fs/ContentHash.h"
#include "fs/FaultInjection.h"
#include "DwError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <stdio.h>
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

#ifdef Q_OS_UNIX
namespace {
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// With write-behind the copy goes in slices, and the disk starts writing each slice while
// the next is copied: the flush that follows only waits for the last of it instead of
// writing the whole file after the copy.
constexpr size_t WriteBehindSlice = size_t(8) << 20;

void copyBytes(int in, int out, const QString &target, bool writeBehind)
{
    // copy_file_range lets the kernel move the data (or share it) without a trip through
    // user space; read/write is the fallback where the file system does not support it.
    bool kernelCopy = true;
    off_t written = 0;
    for (;;) {
        ssize_t n = -1;
#ifdef __linux__
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, out, nullptr, writeBehind ? WriteBehindSlice : size_t(1) << 30, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
                kernelCopy = false;
                continue;
            }
        } else
#endif
        {
            static thread_local char buffer[1 << 20];
            n = ::read(in, buffer, sizeof buffer);
            if (n > 0) {
                for (ssize_t done = 0; done < n;) {
                    ssize_t w = ::write(out, buffer + done, size_t(n - done));
                    if (w < 0) {
                        if (errno == EINTR)
                            continue;
                        failErrno(errno, target);
                    }
                    done += w;
                }
            }
        }
        if (n == 0)
            return;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            failErrno(errno, target);
        }
#ifdef __linux__
        // Only starts the writing (no wait), and only while more may follow: a file of one
        // slice gains nothing. A file system that cannot is flushed at the end all the same.
        if (writeBehind && size_t(n) == WriteBehindSlice)
            ::sync_file_range(out, written, n, SYNC_FILE_RANGE_WRITE);
#endif
        written += n;
    }
}
} // namespace

namespace {
// Opens the source for reading; -1 with errno set when that fails or it is a folder.
int openSource(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

int createTarget(const QByteArray &path)
{
    return ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
}

// Files from this size on are hashed beside the copy, on a thread of their own: the copy
// (the kernel's work) and the flush that follows leave the second core idle, and the hash
// takes about as long as the flush. A smaller file is hashed after its copy, from the
// page cache, which costs less than starting a thread.
constexpr qint64 HashBesideFrom = qint64(8) << 20;

// Copies `in` to `out` while the SHA-256 of `in` is computed (when `hash` is given). The
// hash reads the same open file as the copy, so both see one version of it.
void copyHashing(int in, int out, const QString &source, const QString &target, bool writeBehind, QString *hash)
{
    if (!hash) {
        copyBytes(in, out, target, writeBehind);
        return;
    }
    struct stat st {};
    if (::fstat(in, &st) != 0 || st.st_size < HashBesideFrom) {
        copyBytes(in, out, target, writeBehind);
        *hash = ContentHash::ofDescriptor(in, source);
        return;
    }
    std::exception_ptr failed;
    std::thread hasher([&] {
        try {
            *hash = ContentHash::ofDescriptor(in, source);
        } catch (...) {
            failed = std::current_exception();
        }
    });
    try {
        copyBytes(in, out, target, writeBehind);
    } catch (...) {
        hasher.join();
        throw;
    }
    hasher.join();
    if (failed)
        std::rethrow_exception(failed);
}

// Fills the new, empty target; on failure removes it so no partial file stays behind.
// Flush::Start starts writing the data to disk while copying, for a flush that follows.
enum class Flush { None, Start, Full };
void fill(int in, int out, const QByteArray &outPath, const QString &target, Flush flush, const QString &source = QString(),
          QString *hash = nullptr)
{
    try {
        copyHashing(in, out, source, target, flush != Flush::None, hash);
        if (flush == Flush::Full && ::fdatasync(out) != 0)
            failErrno(errno, target);
    } catch (...) {
        ::unlink(outPath.constData());
        throw;
    }
}
} // namespace

void copyNew(const QString &source, const QString &target, bool durable, QString *hash)
{
    Fd in;
    in.fd = openSource(QFile::encodeName(source));
    if (in.fd < 0)
        failErrno(errno, source);
    const QByteArray out = QFile::encodeName(target);
    Fd dst;
    dst.fd = createTarget(out);
    if (dst.fd < 0)
        failErrno(errno, target);
    fill(in.fd, dst.fd, out, target, durable ? Flush::Full : Flush::None, source, hash);
}

Hashed hashFile(const QString &path)
{
    Hashed hashed{QString(), stampOf(path)};
    Fd in;
    in.fd = hashed.stamp.size < 0 ? -1 : openSource(QFile::encodeName(path));
    if (in.fd < 0) {
        if (hashed.stamp.size < 0 || errno == ENOENT)
            throw DwError(DwError::FileNotFound, QStringLiteral("Het bestand '%1' bestaat niet.").arg(path));
        failErrno(errno, path);
    }
    hashed.hash = ContentHash::ofDescriptor(in.fd, path);
    if (stampOf(path) != hashed.stamp) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Het bestand '%1' werd gewijzigd terwijl het werd gelezen; probeer het opnieuw.").arg(path));
    }
    return hashed;
}

void keepAside(const QString &current, const QString &kept)
{
    if (QFileInfo::exists(kept) || !QFileInfo::exists(current))
        return;
    const QString folder = QFileInfo(kept).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        makePath(folder);
        syncFolder(QFileInfo(folder).absolutePath());
    }
    const QByteArray from = QFile::encodeName(current), to = QFile::encodeName(kept);
    // A second name for the file keeps it where it is until the new content replaces it:
    // the location never lacks its file. Where the file system has no such names, the
    // file itself moves (the replacement follows at once).
    if (::link(from.constData(), to.constData()) != 0 && errno != EEXIST) {
        const int linkError = errno;
        if (linkError != EPERM && linkError != EXDEV && linkError != EMLINK && linkError != ENOTSUP
            && linkError != EOPNOTSUPP)
            failErrno(linkError, kept);
#ifdef __linux__
        const int rc = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
#else
        const int rc = std::rename(from.constData(), to.constData());
#endif
        if (rc != 0 && errno != EEXIST)
            failErrno(errno, kept);
    }
}

NewCopy copyIfAbsent(const QString &source, const QString &target)
{
    Fd in;
    in.fd = openSource(QFile::encodeName(source));
    if (in.fd < 0) {
        if (errno == ENOENT)
            return NewCopy::SourceMissing;
        failErrno(errno, source);
    }
    const QByteArray out = QFile::encodeName(target);
    Fd dst;
    dst.fd = createTarget(out);
    if (dst.fd < 0 && errno == ENOENT) {
        // Only the first file into a folder pays for making it.
        makePath(QFileInfo(target).absolutePath());
        dst.fd = createTarget(out);
    }
    if (dst.fd < 0) {
        if (errno == EEXIST)
            return NewCopy::TargetExists;
        failErrno(errno, target);
    }
    fill(in.fd, dst.fd, out, target, Flush::None);
    return NewCopy::Made;
}

Staged stage(const QString &source, const QString &folder, const QString &name, bool durable, bool hashed)
{
    Staged staged{join(folder, name), stampOf(source), QString()};
    const QByteArray out = QFile::encodeName(staged.path);
    Fd in, dst;
    in.fd = staged.source.size < 0 ? -1 : openSource(QFile::encodeName(source));
    if (in.fd >= 0) {
        dst.fd = createTarget(out);
        if (dst.fd < 0 && errno == ENOENT) {
            makePath(folder);
            dst.fd = createTarget(out);
        }
    }
    if (in.fd < 0 || dst.fd < 0) {
        if (staged.source.size < 0 || errno == ENOENT)
            throw DwError(DwError::FileNotFound, QStringLiteral("Het bestand '%1' bestaat niet.").arg(source));
        failErrno(errno, in.fd < 0 ? source : staged.path);
    }
    // The disk writes the copy while it is made; the one flush below waits for the rest,
    // on the file still open, so nothing is read or written twice.
    fill(in.fd, dst.fd, out, staged.path, durable ? Flush::Start : Flush::None, source, hashed ? &staged.hash : nullptr);
    FaultInjection::point("after-stage");
    // The stamp taken before the copy must still hold after it: the staged bytes are then
    // one version of the source, and that stamp names the version that was stored.
    if (stampOf(source) != staged.source) {
        ::unlink(out.constData());
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Het bestand '%1' werd gewijzigd terwijl het werd gekopieerd; probeer het opnieuw.")
                          .arg(source));
    }
    // The flush of a new file also makes its name durable on the file systems the store
    // runs on (ext4, xfs, btrfs), so the staging folder costs no flush of its own.
    if (durable && ::fdatasync(dst.fd) != 0) {
        const int err = errno;
        ::unlink(out.constData());
        failErrno(err, staged.path);
    }
    return staged;
}

void dropCache(const QString &path)
{
    Fd file;
    file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (file.fd >= 0)
        ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_DONTNEED);
}

void syncFolder(const QString &folder)
{
    Fd dir;
    dir.fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}

void flushAll(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
#ifdef __linux__
    // One flush of the whole file system: every file's data, size and name go to disk in
    // one journal commit. Flushing each file instead costs a commit of its own for every
    // file whose data reached the disk after the previous commit, and measured slower.
    Fd any;
    any.fd = ::open(QFile::encodeName(paths.first()).constData(), O_RDONLY | O_CLOEXEC);
    if (any.fd < 0)
        failErrno(errno, paths.first());
    if (::syncfs(any.fd) != 0)
        failErrno(errno, paths.first());
#else
    for (const QString &path : paths) {
        Fd file;
        file.fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
        // As with a single staged file, the flush of a new file also makes its name durable.
        if (file.fd < 0 || ::fdatasync(file.fd) != 0)
            failErrno(errno, path);
    }
#endif
}
#else
namespace {
QString hashOfFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw DwError(DwError::FileNotFound, QStringLiteral("Het bestand '%1' bestaat niet.").arg(path));
    ContentHash hash;
    QByteArray piece;
    while (!(piece = f.read(1 << 20)).isEmpty())
        hash.add(piece.constData(), size_t(piece.size()));
    return hash.finish();
}
} // namespace

void copyNew(const QString &source, const QString &target, bool durable, QString *hash)
{
    if (QFileInfo::exists(target))
        throw DwError(DwError::FileAlreadyExists, QStringLiteral("Het bestand '%1' bestaat al.").arg(target));
    if (!QFileInfo(source).isFile())
        throw DwError(DwError::FileNotFound, QStringLiteral("Het bestand '%1' bestaat niet.").arg(source));
    if (!QFile::copy(source, target))
        throw DwError(DwError::PathNotFound, QStringLiteral("Het bestand '%1' kan niet worden gekopieerd.").arg(source));
    if (durable) {
        QFile f(target);
        if (f.open(QIODevice::ReadWrite))
            f.flush();
    }
    if (hash)
        *hash = hashOfFile(target);
}

Hashed hashFile(const QString &path)
{
    Hashed hashed{hashOfFile(path), stampOf(path)};
    return hashed;
}

void keepAside(const QString &current, const QString &kept)
{
    if (QFileInfo::exists(kept) || !QFileInfo::exists(current))
        return;
    makePath(QFileInfo(kept).absolutePath());
    if (!QFile::rename(current, kept))
        throw DwError(DwError::PermissionDenied, QStringLiteral("Het bestand '%1' kan niet worden bewaard.").arg(current));
}

NewCopy copyIfAbsent(const QString &source, const QString &target)
{
    if (!QFileInfo(source).isFile())
        return NewCopy::SourceMissing;
    if (QFileInfo::exists(target))
        return NewCopy::TargetExists;
    makePath(QFileInfo(target).absolutePath());
    copyNew(source, target, false);
    return NewCopy::Made;
}

void syncFolder(const QString &)
{
}

void flushAll(const QStringList &)
{
}

void dropCache(const QString &)
{
}

Staged stage(const QString &source, const QString &folder, const QString &name, bool durable, bool hashed)
{
    Staged staged{join(folder, name), stampOf(source), QString()};
    if (staged.source.size < 0)
        throw DwError(DwError::FileNotFound, QStringLiteral("Het bestand '%1' bestaat niet.").arg(source));
    if (copyIfAbsent(source, staged.path) != NewCopy::Made)
        throw DwError(DwError::FileAlreadyExists, QStringLiteral("Het bestand '%1' kan niet worden klaargezet.").arg(source));
    if (hashed)
        staged.hash = hashOfFile(staged.path);
    FaultInjection::point("after-stage");
    // The stamp taken before the copy must still hold after it: the staged bytes are then
    // one version of the source, and that stamp names the version that was stored.
    if (stampOf(source) != staged.source) {
        QFile::remove(staged.path);
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Het bestand '%1' werd gewijzigd terwijl het werd gekopieerd; probeer het opnieuw.")
                          .arg(source));
    }
    return staged;
}
#endif

FileStamp stampOf(const QString &path)
{
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.device = quint64(st.st_dev);
    stamp.inode = quint64(st.st_ino);
    stamp.size = qint64(st.st_size);
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#else
    const QFileInfo info(path);
    if (info.exists()) {
        stamp.size = info.size();
        stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    }
#endif
    return stamp;
}

namespace {
void renameInto(const QString &staged, const QString &target, bool replace)
{
    FaultInjection::point("before-rename");
    const QByteArray from = QFile::encodeName(staged), to = QFile::encodeName(target);
#ifdef __linux__
    // Without replace the rename itself refuses an existing target: no window in which a
    // file put there meanwhile could be overwritten.
    const int rc = replace ? std::rename(from.constData(), to.constData())
                           : ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
#else
    if (!replace && QFileInfo::exists(target))
        failErrno(EEXIST, target);
    const int rc = std::rename(from.constData(), to.constData());
#endif
    if (rc != 0)
        failErrno(errno, target);
}
} // namespace

void install(const QString &staged, const QString &target, bool replace)
{
    renameInto(staged, target, replace);
    syncFolder(QFileInfo(target).absolutePath());
}

void installUnflushed(const QString &staged, const QString &target, bool replace)
{
    renameInto(staged, target, replace);
}

#ifdef Q_OS_UNIX
PreparedFile::PreparedFile(const QString &source, const QString &folder)
{
    Fd in;
    in.fd = openSource(QFile::encodeName(source));
    if (in.fd < 0)
        failErrno(errno, source);
    makePath(folder);
#ifdef O_TMPFILE
    m_fd = ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
#endif
    if (m_fd < 0) {
        m_named = join(folder, tempName());
        m_fd = createTarget(QFile::encodeName(m_named));
        if (m_fd < 0)
            failErrno(errno, m_named);
    }
    try {
        copyBytes(in.fd, m_fd, folder, false);
    } catch (...) {
        ::close(m_fd);
        if (!m_named.isEmpty())
            ::unlink(QFile::encodeName(m_named).constData());
        throw;
    }
}

PreparedFile::~PreparedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_named.isEmpty())
        ::unlink(QFile::encodeName(m_named).constData());
}

void PreparedFile::place(const QString &target)
{
    FaultInjection::point("before-rename");
    if (!m_named.isEmpty()) {
        install(m_named, target, false);
        m_named.clear();
        return;
    }
    // An unnamed file gets its one name through its descriptor; like a rename without
    // replace, the link refuses an existing target.
    const QByteArray self = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(m_fd);
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, QFile::encodeName(target).constData(), AT_SYMLINK_FOLLOW) != 0)
        failErrno(errno, target);
    syncFolder(QFileInfo(target).absolutePath());
}
#else
PreparedFile::PreparedFile(const QString &source, const QString &folder)
{
    makePath(folder);
    m_named = join(folder, tempName());
    copyNew(source, m_named, false);
}

PreparedFile::~PreparedFile()
{
    if (!m_named.isEmpty())
        QFile::remove(m_named);
}

void PreparedFile::place(const QString &target)
{
    install(m_named, target, false);
    m_named.clear();
}
#endif

} // namespace dwfm::store::FileOps
