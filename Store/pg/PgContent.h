#pragma once

#include "fs/FileOps.h"
#include "pg/PgConnection.h"

#include <QByteArray>
#include <QString>

namespace dwfm::store::pg {

// Moving a file's content between this computer and the server store's database, one
// chunk at a time: memory stays the same however large the file is. Both directions work
// inside the connection's running transaction, which the caller commits (an upload only
// becomes a version through a function of the same transaction).
namespace PgContent {

// The bytes of one chunk (the server refuses larger ones).
inline constexpr qint64 ChunkSize = qint64(1) << 20;

// A content as the server knows it (its SHA-256 in hexadecimal, and size).
struct Stored {
    QString sha256;
    qint64 size = -1;
};

// The hash as the server stores it (32 bytes, a bytea).
inline QByteArray hashBytes(const QString &sha256) { return QByteArray::fromHex(sha256.toLatin1()); }

// True when the local file holds exactly this content (compared by size, then hash); false
// when it is missing. A link or anything but a regular file there is refused.
bool holds(const AnchoredPath &path, const Stored &content);

// What upload() sent: the upload's ID (0 when nothing needed sending), the hash and size
// of the content, and the stamp of the file as it was read. With `last` asked for, the last
// chunk is kept back for the caller to send with the call that finishes the upload.
struct Upload {
    qint64 id = 0;
    Stored content;
    FileOps::FileStamp source;
    bool changed = false; // false: `current` was the file's content, nothing to send
    QByteArray last;
};

// Sends the file at `path` as a new upload. When `current` (the content it replaces) has
// the same size and hash, nothing is sent. A file that changes while it is read is refused,
// and so is a link or anything but a regular file (see FileOps). With `keepLast`, the last
// chunk (a small file's only one) is not sent but answered in `Upload::last`.
Upload upload(PgConnection &db, const AnchoredPath &path, const Stored &current = {}, bool keepLast = false);

// A cursor over a content that a server function opened in the running transaction: its
// name (the function's first column) and what the content must be.
struct Cursor {
    QString name;
    Stored content;
};
// The cursor in the one row of `result` (columns: cursor, sha256, size).
Cursor cursorOf(const PgResult &result);

// The bytes of the cursor's content, fed to whatever makes a file of them; throws when the
// database answers other bytes than `cursor.content` (a damaged chunk), naming `what`.
FileOps::Producer producer(PgConnection &db, const Cursor &cursor, const QString &what);
// The same for a content the server answered whole (a small one).
FileOps::Producer producer(const QByteArray &bytes, const Stored &content, const QString &what);

} // namespace PgContent
} // namespace dwfm::store::pg
