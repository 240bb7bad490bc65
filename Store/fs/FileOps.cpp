#include "fs/FileOps.h"

#include "fs/FaultInjection.h"
#include "platform/DwError.h"

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

void copyBytes(int in, int out, const QString &target)
{
    // copy_file_range lets the kernel move the data (or share it) without a trip through
    // user space; read/write is the fallback where the file system does not support it.
    bool kernelCopy = true;
    for (;;) {
        ssize_t n = -1;
#ifdef __linux__
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
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
    }
}
} // namespace

void copyNew(const QString &source, const QString &target, bool durable)
{
    Fd in;
    in.fd = ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC);
    if (in.fd < 0)
        failErrno(errno, source);
    struct stat st {};
    if (::fstat(in.fd, &st) == 0 && S_ISDIR(st.st_mode))
        failErrno(EISDIR, source);
    const QByteArray out = QFile::encodeName(target);
    Fd dst;
    dst.fd = ::open(out.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (dst.fd < 0)
        failErrno(errno, target);
    try {
        copyBytes(in.fd, dst.fd, target);
        if (durable && ::fsync(dst.fd) != 0)
            failErrno(errno, target);
    } catch (...) {
        ::unlink(out.constData());
        throw;
    }
}

void syncFolder(const QString &folder)
{
    Fd dir;
    dir.fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}
#else
void copyNew(const QString &source, const QString &target, bool durable)
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
}

void syncFolder(const QString &)
{
}
#endif

QString stage(const QString &source, const QString &target)
{
    const QFileInfo info(target);
    const QString temp = QStringLiteral("%1/.%2.dwtmp-%3")
                             .arg(info.absolutePath(), info.fileName())
                             .arg(QRandomGenerator::global()->generate64(), 0, 16);
    copyNew(source, temp, true);
    return temp;
}

void replaceWith(const QString &staged, const QString &target)
{
    FaultInjection::point("before-rename");
    // Only now does the target change: rename swaps the directory entry in one step.
    if (std::rename(QFile::encodeName(staged).constData(), QFile::encodeName(target).constData()) != 0) {
        const int err = errno;
        QFile::remove(staged);
        failErrno(err, target);
    }
    syncFolder(QFileInfo(target).absolutePath());
}

void installDurably(const QString &source, const QString &target, bool replace)
{
    if (!replace && QFileInfo::exists(target))
        throw DwError(DwError::FileAlreadyExists, QStringLiteral("Het bestand '%1' bestaat al.").arg(target));
    replaceWith(stage(source, target), target);
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
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    constexpr qint64 Chunk = 1 << 20;
    while (!fa.atEnd()) {
        if (fa.read(Chunk) != fb.read(Chunk))
            return false;
    }
    return true;
}

} // namespace dwfm::store::FileOps
