#pragma once

// The opening of paths for FileOps, and only for it: every part below a path's anchor is
// opened relative to the folder before it, without following links (POSIX *at() calls).

#include "fs/AnchoredPath.h"

#include <QByteArray>

#include <utility>

namespace dwfm::store::OpenAt {

// An open file descriptor, closed when it goes.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(Fd &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd &operator=(Fd &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Fd();
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The opened folder that holds a path's last part, and that part's name. For a chosen path
// (or an anchor itself) the folder is the current one and the name the whole path, which is
// then followed as the system does.
struct Parent {
    Fd folder;
    QByteArray name;
    bool follow = false;  // a chosen path: its last part is followed
    bool missing = false; // a folder on the way does not exist (and was not to be made)
    int at() const;
};

// Walks from the anchor to the folder that holds `path`'s last part. With `makeFolders`
// missing folders are made; a link or a non-folder on the way throws the refusal.
Parent parentOf(const AnchoredPath &path, bool makeFolders);
// The folder `path` names, opened for the *at() calls, or for fsync with `forSync`.
Fd folder(const AnchoredPath &path, bool makeFolders, bool forSync = false);

// What lies at the parent's name, not followed unless the path was chosen: 0 when nothing
// lies there, otherwise the st_mode bits.
unsigned modeAt(const Parent &parent);
// The regular file at `path`, open for reading. A link (below the anchor), a pipe, a
// device or a socket is refused without being opened; a missing file throws "not found".
Fd openRegular(const AnchoredPath &path);
// A new file being written: removed again when it goes, unless kept.
struct NewFile {
    Parent parent;
    Fd fd;
    QString path;
    bool kept = false;
    NewFile() = default;
    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;
    ~NewFile();
    // Opens a new file at `path` for writing; false with errno set when that fails (EEXIST
    // when anything lies there, a link included).
    bool create(const AnchoredPath &path, bool makeFolders);
};

// Refuses what the mode says is a link or neither a regular file nor a folder.
void requireFileOrFolder(unsigned mode, const QString &path);

} // namespace dwfm::store::OpenAt
