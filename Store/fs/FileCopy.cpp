// The copies FileOps makes: the kernel's copy between two opened files, staged and
// prepared copies, view copies and the comparison of two files.
#include "fs/FileOps.h"

#include "fs/ContentHash.h"
#include "fs/FaultInjection.h"
#include "fs/OpenAt.h"
#include "DwError.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <exception>
#include <memory>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dwfm::store::FileOps {

using OpenAt::Fd;
using OpenAt::NewFile;

namespace {
// With write-behind the copy goes in slices, and the disk starts writing each slice while
// the next is copied: the flush that follows only waits for the last of it instead of
// writing the whole file after the copy.
constexpr size_t WriteBehindSlice = size_t(8) << 20;

void writeAll(int out, const char *data, size_t size, const QString &target)
{
    for (size_t done = 0; done < size;) {
        const ssize_t w = ::write(out, data + done, size - done);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            failErrno(errno, target);
        }
        done += size_t(w);
    }
}

// Fills `out` with what `produce` writes; with `writeBehind`, as copyBytes does.
void produceBytes(const Producer &produce, int out, const QString &target, bool writeBehind)
{
    off_t written = 0, started = 0;
    produce([&](const char *data, qint64 size) {
        writeAll(out, data, size_t(size), target);
        written += off_t(size);
#ifdef __linux__
        if (writeBehind && size_t(written - started) >= WriteBehindSlice) {
            ::sync_file_range(out, started, written - started, SYNC_FILE_RANGE_WRITE);
            started = written;
        }
#endif
    });
}

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
            if (n > 0)
                writeAll(out, buffer, size_t(n), target);
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

// Files from this size on are hashed beside the copy, on a thread of their own: the copy
// (the kernel's work) and the flush that follows leave the second core idle, and the hash
// takes about as long as the flush. A smaller file is hashed after its copy, from the
// page cache, which costs less than starting a thread.
constexpr qint64 HashBesideFrom = qint64(8) << 20;

// Copies `in` to `out` while the SHA-256 of `in` is computed (when `hash` is given). The
// hash reads the same open file as the copy, so both see one version of it.
void copyHashing(int in, int out, const QString &target, bool writeBehind, QString *hash)
{
    if (!hash) {
        copyBytes(in, out, target, writeBehind);
        return;
    }
    struct stat st {};
    if (::fstat(in, &st) != 0 || st.st_size < HashBesideFrom) {
        copyBytes(in, out, target, writeBehind);
        *hash = ContentHash::ofDescriptor(in, target);
        return;
    }
    std::exception_ptr failed;
    std::thread hasher([&] {
        try {
            *hash = ContentHash::ofDescriptor(in, target);
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

// Fills the new file from `in` (hashing it when `hash` is given); on failure the file goes
// (see NewFile). Flush::Start starts writing the data to disk while copying, for a flush
// that follows.
enum class Flush { None, Start, Full };
void settle(NewFile &file, Flush flush)
{
    if (flush == Flush::Full && ::fdatasync(file.fd.get()) != 0)
        failErrno(errno, file.path);
}

void fill(int in, NewFile &file, Flush flush, QString *hash = nullptr)
{
    copyHashing(in, file.fd.get(), file.path, flush != Flush::None, hash);
    settle(file, flush);
}

void fill(const Producer &produce, NewFile &file, Flush flush)
{
    produceBytes(produce, file.fd.get(), file.path, flush != Flush::None);
    settle(file, flush);
}

} // namespace

void copyNew(const Path &source, const Path &target, bool durable, QString *hash)
{
    const Fd in = OpenAt::openRegular(source);
    NewFile out;
    if (!out.create(target, false))
        failErrno(errno, target.path());
    fill(in.get(), out, durable ? Flush::Full : Flush::None, hash);
    out.kept = true;
}

Hashed hashFile(const Path &path)
{
    Hashed hashed{QString(), stampOf(path)};
    if (hashed.stamp.size < 0)
        throw DwError(DwError::FileNotFound, QStringLiteral("Het bestand '%1' bestaat niet.").arg(path.path()));
    const Fd in = OpenAt::openRegular(path);
    hashed.hash = ContentHash::ofDescriptor(in.get(), path.path());
    if (stampOf(path) != hashed.stamp) {
        throw DwError(DwError::PermissionDenied,
                      QStringLiteral("Het bestand '%1' werd gewijzigd terwijl het werd gelezen; probeer het opnieuw.").arg(path.path()));
    }
    return hashed;
}

void writeNew(const Producer &produce, const Path &target, bool durable)
{
    NewFile out;
    if (!out.create(target, false))
        failErrno(errno, target.path());
    fill(produce, out, durable ? Flush::Full : Flush::None);
    out.kept = true;
}

int openForReading(const Path &path)
{
    return OpenAt::openRegular(path).release();
}

NewCopy copyIfAbsent(const Path &source, const Path &target)
{
    if (kindOf(source) == Kind::Missing)
        return NewCopy::SourceMissing;
    const Fd in = OpenAt::openRegular(source);
    // Only the first file into a folder pays for making it.
    NewFile out;
    if (!out.create(target, false) && errno == ENOENT)
        out.create(target, true);
    if (!out.fd) {
        if (errno == EEXIST)
            return NewCopy::TargetExists;
        failErrno(errno, target.path());
    }
    fill(in.get(), out, Flush::None);
    out.kept = true;
    return NewCopy::Made;
}

Staged stage(const Path &source, const Path &target, bool durable, bool hashed)
{
    Staged staged{target, stampOf(source), QString()};
    if (staged.source.size < 0)
        throw DwError(DwError::FileNotFound, QStringLiteral("Het bestand '%1' bestaat niet.").arg(source.path()));
    const Fd in = OpenAt::openRegular(source);
    NewFile out;
    if (!out.create(target, true))
        failErrno(errno, target.path());
    // The disk writes the copy while it is made; the one flush below waits for the rest,
    // on the file still open, so nothing is read or written twice.
    fill(in.get(), out, durable ? Flush::Start : Flush::None, hashed ? &staged.hash : nullptr);
    FaultInjection::point("after-stage");
    // The stamp taken before the copy must still hold after it: the staged bytes are then
    // one version of the source, and that stamp names the version that was stored.
    requireUnchanged(source, staged.source);
    // The flush of a new file also makes its name durable on the file systems the store
    // runs on (ext4, xfs, btrfs), so the staging folder costs no flush of its own.
    if (durable && ::fdatasync(out.fd.get()) != 0)
        failErrno(errno, target.path());
    out.kept = true;
    return staged;
}

void dropCache(const Path &path)
{
    try {
        const Fd file = OpenAt::openRegular(path);
        ::posix_fadvise(file.get(), 0, 0, POSIX_FADV_DONTNEED);
    } catch (const DwError &) {
        // Nothing to give back; whatever lies there is refused by the step that follows.
    }
}

void flushAll(const QList<Path> &paths)
{
    if (paths.isEmpty())
        return;
#ifdef __linux__
    // One flush of the whole file system: every file's data, size and name go to disk in
    // one journal commit. Flushing each file instead costs a commit of its own for every
    // file whose data reached the disk after the previous commit, and measured slower.
    const Fd any = OpenAt::openRegular(paths.first());
    if (::syncfs(any.get()) != 0)
        failErrno(errno, paths.first().path());
#else
    for (const Path &path : paths) {
        // As with a single staged file, the flush of a new file also makes its name durable.
        const Fd file = OpenAt::openRegular(path);
        if (::fsync(file.get()) != 0)
            failErrno(errno, path.path());
    }
#endif
}

void PreparedFile::fill(const Path &folder, const std::function<void(int fd)> &write)
{
    Fd dir = OpenAt::folder(folder, true);
    Fd file;
    QString named;
#ifdef O_TMPFILE
    file = Fd(::openat(dir.get(), ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
#endif
    if (!file) {
        named = tempName();
        file = Fd(::openat(dir.get(), QFile::encodeName(named).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                           0666));
        if (!file)
            failErrno(errno, join(folder.path(), named));
    }
    try {
        write(file.get());
    } catch (...) {
        if (!named.isEmpty())
            ::unlinkat(dir.get(), QFile::encodeName(named).constData(), 0);
        throw;
    }
    m_folder = dir.release();
    m_fd = file.release();
    m_named = named;
}

PreparedFile::PreparedFile(const Path &source, const Path &folder) : m_path(folder)
{
    const Fd in = OpenAt::openRegular(source);
    fill(folder, [&](int fd) { copyBytes(in.get(), fd, folder.path(), false); });
}

PreparedFile::PreparedFile(const Producer &produce, const Path &folder) : m_path(folder)
{
    fill(folder, [&](int fd) { produceBytes(produce, fd, folder.path(), false); });
}

PreparedFile::~PreparedFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_named.isEmpty())
        ::unlinkat(m_folder, QFile::encodeName(m_named).constData(), 0);
    if (m_folder >= 0)
        ::close(m_folder);
}

void PreparedFile::place(const QString &name, bool flush)
{
    FaultInjection::point("before-rename");
    const QByteArray target = QFile::encodeName(name);
    const QString where = join(m_path.path(), name);
    if (!m_named.isEmpty()) {
#ifdef __linux__
        const int rc = ::renameat2(m_folder, QFile::encodeName(m_named).constData(), m_folder, target.constData(), RENAME_NOREPLACE);
#else
        const int rc = ::linkat(m_folder, QFile::encodeName(m_named).constData(), m_folder, target.constData(), 0);
#endif
        if (rc != 0)
            failErrno(errno, where);
#ifndef __linux__
        ::unlinkat(m_folder, QFile::encodeName(m_named).constData(), 0);
#endif
        m_named.clear();
    } else {
        // An unnamed file gets its one name through its descriptor; like a rename without
        // replace, the link refuses an existing target.
        const QByteArray self = QByteArrayLiteral("/proc/self/fd/") + QByteArray::number(m_fd);
        if (::linkat(AT_FDCWD, self.constData(), m_folder, target.constData(), AT_SYMLINK_FOLLOW) != 0)
            failErrno(errno, where);
    }
    if (flush)
        syncFolder(m_path);
}

bool sameContent(const Path &a, const Path &b)
{
    if (kindOf(a) == Kind::Missing || kindOf(b) == Kind::Missing)
        return false;
    const Fd fa = OpenAt::openRegular(a), fb = OpenAt::openRegular(b);
    struct stat sa {}, sb {};
    if (::fstat(fa.get(), &sa) != 0 || ::fstat(fb.get(), &sb) != 0 || sa.st_size != sb.st_size)
        return false;
    // Two fixed buffers: no allocation per block, and reads go straight to the files.
    constexpr size_t Chunk = 1 << 20;
    std::unique_ptr<char[]> bufA(new char[Chunk]), bufB(new char[Chunk]);
    const auto readFull = [](int fd, char *buffer, size_t size) -> ssize_t {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd, buffer + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? -1 : ssize_t(done);
            done += size_t(n);
        }
        return ssize_t(done);
    };
    for (;;) {
        const ssize_t na = readFull(fa.get(), bufA.get(), Chunk);
        const ssize_t nb = readFull(fb.get(), bufB.get(), Chunk);
        if (na < 0 || na != nb || std::memcmp(bufA.get(), bufB.get(), size_t(na)) != 0)
            return false;
        if (na == 0)
            return true;
    }
}


} // namespace dwfm::store::FileOps
#endif
