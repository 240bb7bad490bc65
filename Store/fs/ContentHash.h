#pragma once

#include <QString>

#include <memory>

namespace dwfm::store {

// The SHA-256 of a content, as the store names and checks content: 64 lowercase
// hexadecimal digits. Fed in pieces; OpenSSL does the work (with the processor's SHA
// instructions where it has them).
class ContentHash {
public:
    ContentHash();
    ~ContentHash();
    ContentHash(const ContentHash &) = delete;
    ContentHash &operator=(const ContentHash &) = delete;

    void add(const void *data, size_t bytes);
    // The hash of everything added; the object is spent afterwards.
    QString finish();

    // Reads the open file `fd` from offset 0 to its end with pread (its file position is left
    // alone, so another reader may use it at the same time) and answers the hash and the
    // number of bytes read; throws DwError (naming `what`) when reading fails.
    static QString ofDescriptor(int fd, const QString &what, qint64 *bytes = nullptr);

    // True for text that has the form of a content hash.
    static bool looksLikeHash(const QString &text);

private:
    struct Context;
    std::unique_ptr<Context> m_context;
};

} // namespace dwfm::store
