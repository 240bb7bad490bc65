#include "pg/PgContent.h"

#include "fs/ContentHash.h"
#include "DwError.h"
#include "fs/FaultInjection.h"
#include "pg/PgConnection.h"

#include <QFile>

#include <functional>
#include <memory>

namespace dwfm::store::pg::PgContent {

namespace {
// Reads up to `size` bytes, fewer only at the end of the file.
qint64 readFull(QFile &file, char *buffer, qint64 size, const QString &path)
{
    qint64 got = 0;
    while (got < size) {
        const qint64 n = file.read(buffer + got, size - got);
        if (n < 0)
            throw DwError(DwError::PathNotFound, QStringLiteral("Het bestand '%1' kan niet worden gelezen.").arg(path));
        if (n == 0)
            break;
        got += n;
    }
    return got;
}

// Opens the regular file at `path` for reading the way FileOps reads: what is sent is the
// file that lies there itself, never what a link points at.
void openRegular(QFile &file, const AnchoredPath &path)
{
    file.open(FileOps::openForReading(path), QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
}
} // namespace

Upload upload(PgConnection &db, const AnchoredPath &at, const Stored &current, bool keepLast)
{
    const QString &path = at.path();
    Upload up;
    up.source = FileOps::stampOf(at);
    if (up.source.size < 0)
        throw DwError(DwError::FileNotFound, QStringLiteral("Het bestand '%1' bestaat niet.").arg(path));
    QFile file;
    openRegular(file, at);
    // A file of the current content's size may be unchanged: its hash decides, and an
    // unchanged file costs a read but no transfer.
    if (current.size == up.source.size && !current.sha256.isEmpty()
        && ContentHash::ofDescriptor(file.handle(), path) == current.sha256) {
        FileOps::requireUnchanged(at, up.source);
        up.content = current;
        return up;
    }
    up.changed = true;
    ContentHash hash;
    qint64 size = 0;
    std::unique_ptr<char[]> buffer(new char[ChunkSize]);
    QVariant id; // null: the first call starts the upload
    for (;;) {
        const qint64 n = readFull(file, buffer.get(), ChunkSize, path);
        if (n == 0 && !id.isNull())
            break;
        hash.add(buffer.get(), size_t(n));
        size += n;
        // The file's size when it was stamped tells the last chunk; a file that grew since is
        // refused below.
        if (keepLast && (n < ChunkSize || size >= up.source.size)) {
            up.last = QByteArray(buffer.get(), n);
            break;
        }
        const QVariant data = n == 0 ? QVariant() : QVariant(QByteArray::fromRawData(buffer.get(), n));
        id = db.exec("SELECT put_chunk(?::bigint, ?::bytea)", {id, data}).int64(0, 0);
        FaultInjection::point("after-chunk");
        if (n < ChunkSize)
            break;
    }
    up.id = id.toLongLong();
    up.content.size = size;
    up.content.sha256 = hash.finish();
    FaultInjection::point("after-stage");
    // The stamp taken before reading must still hold after it: the bytes sent are then one
    // version of the file, and that stamp names the version that was stored.
    FileOps::requireUnchanged(at, up.source);
    return up;
}

bool holds(const AnchoredPath &path, const Stored &content)
{
    FileOps::requireRegular(path, true);
    if (FileOps::stampOf(path).size != content.size)
        return false;
    QFile file;
    openRegular(file, path);
    return ContentHash::ofDescriptor(file.handle(), path.path()) == content.sha256;
}

Cursor cursorOf(const PgResult &result)
{
    // A bytea in text form: "\x" and its hexadecimal digits.
    return Cursor{result.text(0, 0), Stored{result.text(0, 1).mid(2), result.int64(0, 2)}};
}

namespace {
// Hands the bytes that `feed` gives on to `write`, and throws when they are not `content`.
void verified(const FileOps::Writer &write, const Stored &content, const QString &what,
              const std::function<void(const FileOps::Writer &)> &feed)
{
    ContentHash hash;
    qint64 size = 0;
    feed([&](const char *data, qint64 n) {
        hash.add(data, size_t(n));
        size += n;
        write(data, n);
    });
    if (size != content.size || hash.finish() != content.sha256) {
        throw DwError(DwError::DatabaseError,
                      QStringLiteral("De inhoud van '%1' in de database is beschadigd (dwstore check --deep).").arg(what));
    }
}
} // namespace

FileOps::Producer producer(PgConnection &db, const Cursor &cursor, const QString &what)
{
    return [&db, cursor, what](const FileOps::Writer &write) {
        verified(write, cursor.content, what, [&](const FileOps::Writer &chunk) {
            const QByteArray fetch = "FETCH ALL FROM " + PgConnection::identifier(cursor.name).toUtf8();
            db.stream(fetch.constData(), {}, [&](const PgResult &row) { chunk(row.raw(0, 0), row.length(0, 0)); });
        });
    };
}

FileOps::Producer producer(const QByteArray &bytes, const Stored &content, const QString &what)
{
    return [bytes, content, what](const FileOps::Writer &write) {
        verified(write, content, what, [&](const FileOps::Writer &all) { all(bytes.constData(), bytes.size()); });
    };
}

} // namespace dwfm::store::pg::PgContent
