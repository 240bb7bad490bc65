#pragma once

#include <QString>

namespace dwfm::store {

// Passwords are kept as "pbkdf2-sha256$<iterations>$<salt>$<hash>" (salt and hash in
// base64): a random 16-byte salt and PBKDF2-HMAC-SHA256, slow on purpose so that a stolen
// database does not give the passwords away.
namespace PasswordHasher {

constexpr int DefaultIterations = 200000;

QString hash(const QString &password, int iterations = DefaultIterations);
// True when `password` matches `stored`; compared in constant time.
bool verify(const QString &password, const QString &stored);

} // namespace PasswordHasher
} // namespace dwfm::store
