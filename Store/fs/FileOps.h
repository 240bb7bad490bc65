#pragma once

#include <QString>
#include <QStringList>

namespace dwfm::store {

// The file work of the store. Every function either does all of its work or throws
// DwError (with the usual file-error numbers) and leaves no partial file behind.
namespace FileOps {

// Copies `source` to `target`, which must not exist yet. With `durable` the data is on
// disk before the function returns. With `hash` given, it receives the SHA-256 of the
// bytes copied.
void copyNew(const QString &source, const QString &target, bool durable, QString *hash = nullptr);

// A copy of `source` named `fileName` in a new folder of its own under the system's
// temporary folder, for viewing; answers its path. With `expectedHash`, a copy whose
// SHA-256 differs is refused (damaged content is never handed out). Nothing is left
// behind on failure.
QString viewCopy(const QString &source, const QString &fileName, const QString &expectedHash = QString());

// What copyIfAbsent did.
enum class NewCopy { Made, TargetExists, SourceMissing };

// Copies `source` to `target` like copyNew (not flushed), making the target's folder when
// it is missing. An existing target or a missing source is answered, not thrown, so that a
// caller that usually finds neither pays for no checks beforehand.
NewCopy copyIfAbsent(const QString &source, const QString &target);

// What identifies one version of a file without reading it: the inode and its size and
// modification time. A program that saves the file changes at least one of them.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: no such file
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp &) const = default;
};
FileStamp stampOf(const QString &path);

// A flushed copy of a source in a staging folder, the stamp of the source as it was read,
// and (when asked for) the SHA-256 of the bytes staged. A source that changes while it is
// copied is refused (its copy could be torn).
struct Staged {
    QString path;
    FileStamp source;
    QString hash;
};
// `name` is the staged file's name inside `folder` (made when missing). `hashed` computes
// the hash beside the copy.
Staged stage(const QString &source, const QString &folder, const QString &name, bool durable, bool hashed = false);

// A file's SHA-256 read in place, with the stamp it had; a file that changes while it is
// read is refused.
struct Hashed {
    QString hash;
    FileStamp stamp;
};
Hashed hashFile(const QString &path);

// Keeps the content of `current` at `kept` as well (unless something lies there already,
// or `current` is gone), before `current` is replaced: a second name for the same file,
// or, where the file system cannot give one, the file moved there. The folder of `kept`
// is made when missing; flushing it is the caller's, once the replacement is renamed too,
// so that both names reach the disk with one journal commit.
void keepAside(const QString &current, const QString &kept);

// Gives back the memory that caches `path`, whose content is about to be replaced: the
// new content then reuses memory that was just in use, as an overwrite in place would,
// instead of taking memory that has lain idle (on a virtual machine the host may have
// taken that back, and touching it again costs more than the copy). The file and its
// data on disk stay as they are. A missing file is no error.
void dropCache(const QString &path);

// Renames `staged` to `target` in one step and flushes the target's folder. With `replace`
// false an existing target is refused (and the staged file stays).
void install(const QString &staged, const QString &target, bool replace);

// Makes many new files, all on one file system, durable together (their names too).
void flushAll(const QStringList &paths);

// Like install, but the flush of the target's folder is left to the caller, who moves
// many files into a few folders and flushes each folder once.
void installUnflushed(const QString &staged, const QString &target, bool replace = false);

// Removes `path` only when it is still the version `stamp` describes; a file that changed
// since is kept aside instead. Answers the kept-aside name, or empty when removed (or gone).
QString removeIfUnchanged(const QString &path, const FileStamp &stamp);

// A copy of `source` made in `folder` without a name where the file system allows it
// (otherwise under a hidden one), that gets its name only with place(): a process killed
// before that leaves nothing in the folder. Discarded unless placed.
class PreparedFile {
public:
    PreparedFile(const QString &source, const QString &folder);
    ~PreparedFile();
    PreparedFile(const PreparedFile &) = delete;
    PreparedFile &operator=(const PreparedFile &) = delete;
    // Names the copy `target`, which must not exist (refused otherwise); flushes the folder.
    void place(const QString &target);

private:
    int m_fd = -1;
    QString m_named; // the hidden name, where the file system has no unnamed files
};

// A short random hidden name for a temporary file: ".dwtmp-<hex>".
QString tempName();

// Renames `path` to a free name beside it that says it was kept, and answers that name.
QString moveAside(const QString &path);

// `path` when nothing lies there, otherwise the first free "name (n).ext" beside it.
QString freePath(const QString &path);

// True when both files exist and hold the same bytes.
bool sameContent(const QString &a, const QString &b);

// Makes the folder and its parents; throws when that fails.
void makePath(const QString &folder);

// Flushes a folder's entries (after a rename or a new file in it).
void syncFolder(const QString &folder);

// Throws the DwError that matches the C errno value `err`.
[[noreturn]] void failErrno(int err, const QString &what);

// Joins path parts with single separators.
QString join(const QString &a, const QString &b);

} // namespace FileOps
} // namespace dwfm::store
