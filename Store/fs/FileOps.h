#pragma once

#include "fs/AnchoredPath.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace dwfm::store {

// The file work of the store: the one place that opens, creates, renames and removes the
// files and folders of a store and of the working folders. Every function either does all
// of its work or throws DwError (with the usual file-error numbers) and leaves no partial
// file behind. Paths are AnchoredPaths: below their anchor no link is followed and only
// regular files and folders are read, written, renamed over or made (see AnchoredPath).
// New files and folders get the modes the process's umask allows (0666 and 0777 less the
// umask), so that a group that shares a store can share what it writes.
namespace FileOps {

using Path = AnchoredPath;

// What lies at a path (the last part itself: a link is a link, not what it points at).
enum class Kind { Missing, File, Folder, Link, Other };
// Refuses, like every operation, a link or non-folder among the folders on the way.
Kind kindOf(const Path &path);
// Throws the store's refusal when `path` is a link or anything but a regular file (a
// folder); `missingOk` lets a path where nothing lies pass.
void requireRegular(const Path &path, bool missingOk);
void requireFolder(const Path &path, bool missingOk);

// Copies `source` to `target`, which must not exist yet. With `durable` the data is on
// disk before the function returns. With `hash` given, it receives the SHA-256 of the
// bytes copied.
void copyNew(const Path &source, const Path &target, bool durable, QString *hash = nullptr);

// What fills a new file with bytes that come from elsewhere than another file (the server
// store's content, as it streams in): called once with the function that appends bytes to
// the file. What it throws is passed on, and the file is not kept.
using Writer = std::function<void(const char *data, qint64 size)>;
using Producer = std::function<void(const Writer &write)>;

// Like copyNew, with the bytes from `produce`.
void writeNew(const Producer &produce, const Path &target, bool durable);

// A copy of `source` (or the bytes of `produce`) named `fileName` in a new folder of its
// own under the system's temporary folder, for viewing; answers its path. With
// `expectedHash`, a copy of `source` whose SHA-256 differs is refused (damaged content is
// never handed out). Nothing is left behind on failure.
QString viewCopy(const Path &source, const QString &fileName, const QString &expectedHash = QString());
QString viewCopy(const Producer &produce, const QString &fileName);

// The regular file at `path`, opened for reading and refused like every read (a link below
// the anchor, a pipe, a device or a socket is never opened). The caller closes it.
int openForReading(const Path &path);

// What copyIfAbsent did.
enum class NewCopy { Made, TargetExists, SourceMissing };

// Copies `source` to `target` like copyNew (not flushed), making the target's folder when
// it is missing. An existing target or a missing source is answered, not thrown, so that a
// caller that usually finds neither pays for no checks beforehand.
NewCopy copyIfAbsent(const Path &source, const Path &target);

// What identifies one version of a file without reading it: the inode and its size and
// modification time. A program that saves the file changes at least one of them.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: no such file
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp &) const = default;
};
// The stamp of what lies at `path` (of a link itself, below the anchor).
FileStamp stampOf(const Path &path);

// A flushed copy of a source in a staging folder, the stamp of the source as it was read,
// and (when asked for) the SHA-256 of the bytes staged. A source that changes while it is
// copied is refused (its copy could be torn).
struct Staged {
    Path path;
    FileStamp source;
    QString hash;
};
// Copies `source` to the new file `target` (its folder made when missing). `hashed`
// computes the hash beside the copy.
Staged stage(const Path &source, const Path &target, bool durable, bool hashed = false);

// A regular file's SHA-256 read in place, with the stamp it had; a file that changes while
// it is read is refused.
struct Hashed {
    QString hash;
    FileStamp stamp;
};
Hashed hashFile(const Path &path);

// Keeps the content of the regular file `current` at `kept` as well (unless something lies
// there already, or `current` is gone), before `current` is replaced: a second name for
// the same file, or, where the file system cannot give one, the file moved there. The
// folder of `kept` is made when missing; flushing it is the caller's, once the replacement
// is renamed too, so that both names reach the disk with one journal commit.
void keepAside(const Path &current, const Path &kept);

// Refuses (asking to try again) when the file at `path` is no longer the version `stamp`
// describes: a copy made since the stamp was taken could then be torn between versions.
void requireUnchanged(const Path &path, const FileStamp &stamp);

// Gives back the memory that caches `path`, whose content is about to be replaced: the
// new content then reuses memory that was just in use, as an overwrite in place would,
// instead of taking memory that has lain idle (on a virtual machine the host may have
// taken that back, and touching it again costs more than the copy). The file and its
// data on disk stay as they are. A missing file is no error.
void dropCache(const Path &path);

// Renames `staged` to `target` in one step and flushes the target's folder. With `replace`
// false an existing target is refused (and the staged file stays); with it, what lies at
// the target (a link included, never followed) is replaced.
void install(const Path &staged, const Path &target, bool replace);

// Makes many new files, all on one file system, durable together (their names too).
void flushAll(const QList<Path> &paths);

// Like install, but the flush of the target's folder is left to the caller, who moves
// many files into a few folders and flushes each folder once.
void installUnflushed(const Path &staged, const Path &target, bool replace = false);

// Renames a file or folder to a new name in one step; an existing target is refused unless
// it is the same entry under another case of letters. A link is moved as a link. Not
// flushed: a caller for whom the new name must survive a power cut flushes the folder.
void rename(const Path &from, const Path &to);
// Removes a file (a link itself, never what it points at); a missing one is no error.
void removeFile(const Path &path);
// Removes what a failed step left (a staged copy); never throws, since it runs on the way
// out of an error.
void discard(const Path &path) noexcept;
// Removes an empty folder; a missing one is no error, a link is refused.
void removeFolder(const Path &path);

// Removes `path` only when it is still the version `stamp` describes; a file that changed
// since is kept aside instead. Answers the kept-aside path, or empty when removed (or gone).
QString removeIfUnchanged(const Path &path, const FileStamp &stamp);

// A copy of `source` made in `folder` without a name where the file system allows it
// (otherwise under a hidden one), that gets its name only with place(): a process killed
// before that leaves nothing in the folder. Discarded unless placed.
class PreparedFile {
public:
    PreparedFile(const Path &source, const Path &folder);
    PreparedFile(const Producer &produce, const Path &folder);
    ~PreparedFile();
    PreparedFile(const PreparedFile &) = delete;
    PreparedFile &operator=(const PreparedFile &) = delete;
    // Gives the copy the name `name` in its folder, which must be free (refused
    // otherwise); flushes the folder, unless `flush` is false (the caller flushes it once
    // for many files, syncFolder).
    void place(const QString &name, bool flush = true);
    // Like place, but a regular file of that name is first kept aside (moveAside): nothing
    // is lost. A link or anything but a regular file there is refused, never moved.
    void replace(const QString &name, bool flush = true);
    // The folder the copy is made in.
    const Path &folder() const { return m_path; }

private:
    // Makes the file in `folder` and has `write` fill it through its descriptor.
    void fill(const Path &folder, const std::function<void(int fd)> &write);
    int m_folder = -1;
    int m_fd = -1;
    Path m_path;     // the folder, for messages
    QString m_named; // the hidden name, where the file system has no unnamed files
};

// A short random hidden name for a temporary file: ".dwtmp-<hex>".
QString tempName();

// Renames `path` to a free name beside it that says it was kept, and answers that path.
QString moveAside(const Path &path);

// `path` when nothing lies there, otherwise the first free "name (n).ext" beside it.
Path freePath(const Path &path);

// True when both are regular files that hold the same bytes. A link or anything but a
// regular file is refused; a missing file answers false.
bool sameContent(const Path &a, const Path &b);

// Makes a new, empty regular file; anything that lies there already is refused.
void createFile(const Path &path);
// Appends `text` to a regular file (made when missing), never through a link.
void appendText(const Path &path, const QByteArray &text);

// Makes a folder someone named and its parents (links on the way followed); throws when
// that fails.
void makePath(const QString &folder);
// Makes the folder and the folders on the way below its anchor, none of them a link.
void makeFolder(const Path &folder);

// Flushes a folder's entries (after a rename or a new file in it).
void syncFolder(const Path &folder);

// The store's refusals of a link, and of a pipe, socket or device, where it keeps a file
// or folder.
[[noreturn]] void refuseLink(const QString &path);
[[noreturn]] void refuseOther(const QString &path);

// Throws the DwError that matches the C errno value `err`.
[[noreturn]] void failErrno(int err, const QString &what);

// Joins path parts with single separators.
QString join(const QString &a, const QString &b);

} // namespace FileOps
} // namespace dwfm::store
