#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// A fake PostgreSQL server on 127.0.0.1 for one test: it answers a client's TLS request
// with a TLS handshake (with its own certificate, when given one) or a refusal, then asks
// for the password in clear text and keeps every byte the client sends it, decrypted.
class FakeServer {
public:
    // Empty certificate: no TLS.
    FakeServer(const QString &certificate, const QString &key);
    ~FakeServer();
    int port() const;
    // Everything received so far, over every connection.
    QByteArray received() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};
