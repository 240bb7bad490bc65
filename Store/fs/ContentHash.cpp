#include "fs/ContentHash.h"

#include "DwError.h"
#include "fs/FileOps.h"

#include <QByteArray>

#include <openssl/evp.h>

#include <cerrno>
#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace dwfm::store {

struct ContentHash::Context {
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

ContentHash::ContentHash() : m_context(std::make_unique<Context>())
{
    if (!m_context->ctx || EVP_DigestInit_ex(m_context->ctx, EVP_sha256(), nullptr) != 1)
        throw DwError(DwError::CannotCreateObject, QStringLiteral("De controlesom kan niet worden berekend."));
}

ContentHash::~ContentHash() = default;

void ContentHash::add(const void *data, size_t bytes)
{
    if (bytes > 0)
        EVP_DigestUpdate(m_context->ctx, data, bytes);
}

QString ContentHash::finish()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(m_context->ctx, digest, &length);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}

QString ContentHash::ofDescriptor(int fd, const QString &what, qint64 *bytes)
{
    ContentHash hash;
    constexpr size_t Piece = size_t(1) << 20;
    std::unique_ptr<char[]> buffer(new char[Piece]);
    qint64 offset = 0;
    for (;;) {
#ifdef Q_OS_UNIX
        const ssize_t n = ::pread(fd, buffer.get(), Piece, off_t(offset));
#else
        const qint64 n = -1;
        errno = ENOSYS;
#endif
        if (n < 0) {
            if (errno == EINTR)
                continue;
            FileOps::failErrno(errno, what);
        }
        if (n == 0)
            break;
        hash.add(buffer.get(), size_t(n));
        offset += n;
    }
    if (bytes)
        *bytes = offset;
    return hash.finish();
}

bool ContentHash::looksLikeHash(const QString &text)
{
    if (text.size() != 64)
        return false;
    for (const QChar c : text) {
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    }
    return true;
}

} // namespace dwfm::store
