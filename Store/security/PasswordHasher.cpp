#include "security/PasswordHasher.h"

#include "DwError.h"

#include <QByteArray>
#include <QStringList>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace dwfm::store::PasswordHasher {

namespace {
constexpr int SaltBytes = 16;
constexpr int HashBytes = 32;

QByteArray derive(const QString &password, const QByteArray &salt, int iterations)
{
    QByteArray pw = password.toUtf8();
    QByteArray out(HashBytes, '\0');
    if (PKCS5_PBKDF2_HMAC(pw.constData(), int(pw.size()), reinterpret_cast<const unsigned char *>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha256(), HashBytes,
                          reinterpret_cast<unsigned char *>(out.data())) != 1) {
        throw DwError(DwError::CannotCreateObject, QStringLiteral("Het wachtwoord kon niet worden versleuteld."));
    }
    return out;
}
} // namespace

QString hash(const QString &password, int iterations)
{
    QByteArray salt(SaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(salt.data()), SaltBytes) != 1)
        throw DwError(DwError::CannotCreateObject, QStringLiteral("Er is geen willekeurig zout beschikbaar."));
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(iterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(derive(password, salt, iterations).toBase64()));
}

bool verify(const QString &password, const QString &stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != QLatin1String("pbkdf2-sha256"))
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1)
        return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    const QByteArray actual = derive(password, salt, iterations);
    return expected.size() == actual.size() && CRYPTO_memcmp(expected.constData(), actual.constData(), actual.size()) == 0;
}

} // namespace dwfm::store::PasswordHasher
