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

namespace {
constexpr quint32 SslRequest = 80877103;
constexpr quint32 GssRequest = 80877104;
} // namespace

struct FakeServer::State {
    int listener = -1;
    int port = 0;
    SSL_CTX *tls = nullptr;
    std::atomic<bool> stop{false};
    mutable std::mutex mutex;
    QByteArray received;
    std::thread thread;

    void keep(const QByteArray &bytes)
    {
        std::lock_guard lock(mutex);
        received += bytes;
    }

    // One connection: reads with a time-out, so that a client that gives up ends it.
    struct Client {
        int fd;
        SSL *ssl = nullptr;
        ~Client()
        {
            if (ssl)
                SSL_free(ssl);
            ::close(fd);
        }
        bool read(char *into, int size)
        {
            for (int done = 0; done < size;) {
                if (!ssl || SSL_pending(ssl) == 0) {
                    pollfd p{fd, POLLIN, 0};
                    if (::poll(&p, 1, 5000) <= 0)
                        return false;
                }
                const int n = ssl ? SSL_read(ssl, into + done, size - done) : int(::recv(fd, into + done, size_t(size - done), 0));
                if (n <= 0)
                    return false;
                done += n;
            }
            return true;
        }
        void write(const QByteArray &bytes)
        {
            if (ssl)
                SSL_write(ssl, bytes.constData(), int(bytes.size()));
            else
                ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_NOSIGNAL);
        }
    };

    // A message with a length word (and, after the startup, a type byte before it).
    bool message(Client &c, bool typed, QByteArray &out)
    {
        char head[5];
        const int headSize = typed ? 5 : 4;
        if (!c.read(head, headSize))
            return false;
        const quint32 length = qFromBigEndian<quint32>(head + headSize - 4);
        if (length < 4 || length > 1 << 20)
            return false;
        out = QByteArray(head, headSize) + QByteArray(int(length - 4), Qt::Uninitialized);
        if (!c.read(out.data() + headSize, int(length - 4)))
            return false;
        keep(out);
        return true;
    }

    void serve(int fd)
    {
        Client c{fd};
        QByteArray m;
        for (;;) {
            if (!message(c, false, m))
                return;
            const quint32 code = qFromBigEndian<quint32>(m.constData() + 4);
            if (code == GssRequest || (code == SslRequest && !tls)) {
                c.write("N");
                continue;
            }
            if (code != SslRequest)
                break; // the startup message
            c.write("S");
            c.ssl = SSL_new(tls);
            SSL_set_fd(c.ssl, fd);
            if (SSL_accept(c.ssl) != 1)
                return; // the client did not accept the certificate
        }
        // AuthenticationCleartextPassword; the answer is kept like everything else.
        c.write(QByteArray::fromHex("520000000800000003"));
        if (message(c, true, m)) {
            static const char refusalFields[] = "SFATAL\0C28P01\0Mnee\0";
            const QByteArray refusal(refusalFields, sizeof refusalFields);
            QByteArray error("E");
            error += QByteArray(4, '\0') + refusal;
            qToBigEndian<quint32>(quint32(error.size() - 1), error.data() + 1);
            c.write(error);
        }
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
