#pragma once

#include <QString>

#include <functional>

namespace dwfm {

// The PDFs LibreOffice made of office documents, kept in one folder so that a document is
// converted once however often it is previewed. A PDF is found by the content it was made
// of (its size and SHA-256), so a changed document is converted again and the same content
// under another name or in another location is not. The folder stays below a size limit:
// when a new PDF makes it larger, the PDFs used longest ago go first.
//
// Only file operations: one cache may be used from any one thread at a time, and several
// processes may share a folder (a PDF arrives there whole, by a rename).
class PreviewCache {
public:
    // 256 MiB unless set otherwise.
    static constexpr qint64 DefaultLimit = 256ll * 1024 * 1024;

    explicit PreviewCache(QString folder = defaultFolder(), qint64 limitBytes = DefaultLimit);

    // Below the user's cache folder, shared by every program that uses the control.
    static QString defaultFolder();
    // The key of a file's content: "<size>-<sha256 in hex>"; empty when the file cannot be
    // read or `goOn` answered False between two blocks (the caller no longer needs it).
    static QString keyOfFile(const QString &path, const std::function<bool()> &goOn = {});

    // The PDF kept for this key, marked as used now; empty when there is none.
    QString find(const QString &key) const;
    // Copies `pdfPath` into the cache under `key` and keeps the folder within its limit; the
    // PDF's path in the cache, empty when it could not be kept.
    QString store(const QString &key, const QString &pdfPath);

    const QString &folder() const { return m_folder; }

private:
    QString pathOf(const QString &key) const;
    void shrink(const QString &keep);

    QString m_folder;
    qint64 m_limit;
};

} // namespace dwfm
