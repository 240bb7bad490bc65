#pragma once

#include <QString>

namespace dwfm::store {

// A path the store works on, split at a folder it trusts as it is reached (the anchor: the
// store's folder, a user's working root, a temporary folder of its own); links on the way
// to the anchor are the choice of whoever set it up. Below the anchor nothing is followed:
// the file operations (FileOps) open the anchor and walk every part below it relative to
// the folder before, refusing a symbolic link or anything but a folder on the way and, at
// the end, anything but a regular file or folder. Another account that can write in a
// shared store or in a working folder can so never make the store read or write outside it.
class AnchoredPath {
public:
    AnchoredPath() = default;
    // `path` below (or equal to) `anchor`; a path outside the anchor throws DwError.
    static AnchoredPath below(const QString &anchor, const QString &path);
    // A path someone named (a file to add, a folder to copy to): followed as it is, links
    // included, since that is what the user pointed at. Only a regular file is read.
    static AnchoredPath chosen(const QString &path);

    const QString &path() const { return m_path; }
    const QString &anchor() const { return m_anchor; }
    // The parts below the anchor joined by "/"; empty for the anchor itself and a chosen path.
    const QString &relative() const { return m_relative; }
    bool isChosen() const { return m_relative.isEmpty(); }
    bool isEmpty() const { return m_path.isEmpty(); }
    QString fileName() const;
    // The folder that holds this path, and a path in this folder, below the same anchor.
    AnchoredPath parent() const;
    AnchoredPath child(const QString &name) const;
    bool operator==(const AnchoredPath &) const = default;

private:
    QString m_anchor;
    QString m_relative;
    QString m_path;
};

} // namespace dwfm::store
