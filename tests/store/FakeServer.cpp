#include "FakeServer.h"

#include <QtEndian>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

struct FakeServer::State {
    int listener = -1;
    int port = 0;
    SSL_CTX *tls = nullptr;
    std::atomic<bool> stop{false};
    mutable std::mutex mutex;
    QByteArray received;
    std::thread thread;

    // Reads `size` bytes from the connection and keeps them; a client that stops or says
    // nothing for a few seconds ends it.
    QByteArray read(int fd, SSL *ssl, int size)
    {
        QByteArray bytes;
        char buffer[4096];
        while (bytes.size() < size) {
            const int want = std::min(int(sizeof buffer), size - int(bytes.size()));
            const int n = ssl ? SSL_read(ssl, buffer, want) : int(::recv(fd, buffer, size_t(want), 0));
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
        std::lock_guard lock(mutex);
        received += bytes;
        return bytes;
    }

    void serve(int fd)
    {
        const timeval wait{3, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        SSL *ssl = nullptr;
        for (;;) {
            // A request for TLS (or GSS) or the startup message: a length, then a code.
            const QByteArray head = read(fd, ssl, 8);
            if (head.size() < 8)
                break;
            const quint32 code = qFromBigEndian<quint32>(head.constData() + 4);
            if (code == 80877103 && tls) {
                ::send(fd, "S", 1, MSG_NOSIGNAL);
                ssl = SSL_new(tls);
                SSL_set_fd(ssl, fd);
                if (SSL_accept(ssl) != 1)
                    break; // the client did not accept the certificate
            } else if (code == 80877103 || code == 80877104) {
                ::send(fd, "N", 1, MSG_NOSIGNAL);
            } else {
                read(fd, ssl, int(qFromBigEndian<quint32>(head.constData())) - 8);
                // AuthenticationCleartextPassword; the answer is kept like everything else.
                static const QByteArray askPassword = QByteArray::fromHex("520000000800000003");
                ssl ? SSL_write(ssl, askPassword.constData(), int(askPassword.size()))
                    : int(::send(fd, askPassword.constData(), size_t(askPassword.size()), MSG_NOSIGNAL));
                const QByteArray answer = read(fd, ssl, 5); // a type byte and a length
                if (answer.size() == 5)
                    read(fd, ssl, int(qFromBigEndian<quint32>(answer.constData() + 1)) - 4);
                break;
            }
        }
        if (ssl)
            SSL_free(ssl);
        ::close(fd);
    }
};

FakeServer::FakeServer(const QString &certificate, const QString &key) : m_state(std::make_unique<State>())
{
    State &s = *m_state;
    if (!certificate.isEmpty()) {
        s.tls = SSL_CTX_new(TLS_server_method());
        SSL_CTX_use_certificate_file(s.tls, certificate.toLocal8Bit().constData(), SSL_FILETYPE_PEM);
        SSL_CTX_use_PrivateKey_file(s.tls, key.toLocal8Bit().constData(), SSL_FILETYPE_PEM);
    }
    s.listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(s.listener, reinterpret_cast<sockaddr *>(&address), size);
    ::listen(s.listener, 4);
    ::getsockname(s.listener, reinterpret_cast<sockaddr *>(&address), &size);
    s.port = ntohs(address.sin_port);
    s.thread = std::thread([&s] {
        while (!s.stop) {
            pollfd p{s.listener, POLLIN, 0};
            if (::poll(&p, 1, 100) > 0) {
                const int fd = ::accept4(s.listener, nullptr, nullptr, SOCK_CLOEXEC);
                if (fd >= 0)
                    s.serve(fd);
            }
        }
    });
}

FakeServer::~FakeServer()
{
    m_state->stop = true;
    m_state->thread.join();
    ::close(m_state->listener);
    if (m_state->tls)
        SSL_CTX_free(m_state->tls);
}

int FakeServer::port() const
{
    return m_state->port;
}

QByteArray FakeServer::received() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->received;
}
