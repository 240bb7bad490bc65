#include "LinkProxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <string_view>
#include <vector>

namespace dwfm::test {

namespace {
using Clock = std::chrono::steady_clock;

sockaddr_in address(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool writeAll(int to, const std::string &bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(to, bytes.data() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}
} // namespace

// One forwarded connection, with what each direction holds back until its time comes.
struct LinkProxy::Pair {
    int client = -1;
    int server = -1;
    std::deque<std::pair<Clock::time_point, std::string>> toServer, toClient;
    bool closing = false;
};

LinkProxy::LinkProxy(int serverPort, std::chrono::milliseconds delay) : m_serverPort(serverPort), m_delay(delay)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = address(0);
    socklen_t size = sizeof a;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(m_listener, 8) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &size) != 0)
        return;
    m_port = ntohs(a.sin_port);
    m_thread = std::thread([this] { run(); });
}

LinkProxy::~LinkProxy()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listener);
}

QString LinkProxy::server() const
{
    return QStringLiteral("host=127.0.0.1 port=%1 sslmode=disable").arg(m_port);
}

void LinkProxy::run()
{
    std::vector<Pair> pairs;
    while (!m_stop) {
        // What is held back goes on when its time has come; the poll waits at most until then.
        auto wake = Clock::now() + std::chrono::milliseconds(50);
        for (Pair &p : pairs) {
            for (auto [queue, to] : {std::pair{&p.toServer, p.server}, std::pair{&p.toClient, p.client}}) {
                while (!queue->empty() && queue->front().first <= Clock::now()) {
                    if (!writeAll(to, queue->front().second)) {
                        p.closing = true;
                        p.toServer.clear();
                        p.toClient.clear();
                        break;
                    }
                    queue->pop_front();
                }
                if (!queue->empty())
                    wake = std::min(wake, queue->front().first);
            }
        }
        // A connection one side ended closes once what it sent before has gone on.
        std::erase_if(pairs, [](const Pair &p) {
            const bool done = p.closing && p.toServer.empty() && p.toClient.empty();
            if (done) {
                ::close(p.client);
                ::close(p.server);
            }
            return done;
        });
        std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
        std::vector<std::size_t> polled;
        for (std::size_t i = 0; i < pairs.size(); ++i) {
            if (!pairs[i].closing) {
                fds.insert(fds.end(), {{pairs[i].client, POLLIN, 0}, {pairs[i].server, POLLIN, 0}});
                polled.push_back(i);
            }
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count();
        if (::poll(fds.data(), fds.size(), int(std::max<long long>(wait, 0))) <= 0)
            continue;
        // Only the pairs polled above have events; one accepted now waits for the next poll.
        for (std::size_t k = 0; k < polled.size(); ++k) {
            Pair &p = pairs[polled[k]];
            if ((fds[1 + 2 * k].revents != 0 && !pass(p, true)) || (fds[2 + 2 * k].revents != 0 && !pass(p, false)))
                p.closing = true;
        }
        if (fds[0].revents & POLLIN) {
            Pair p;
            p.client = ::accept(m_listener, nullptr, nullptr);
            p.server = ::socket(AF_INET, SOCK_STREAM, 0);
            const sockaddr_in a = address(m_serverPort);
            ::connect(p.server, reinterpret_cast<const sockaddr *>(&a), sizeof a);
            pairs.push_back(std::move(p));
        }
    }
    for (const Pair &p : pairs) {
        ::close(p.client);
        ::close(p.server);
    }
}

bool LinkProxy::pass(Pair &pair, bool fromClient)
{
    char buffer[65536];
    const int from = fromClient ? pair.client : pair.server, to = fromClient ? pair.server : pair.client;
    const ssize_t n = ::read(from, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    if (fromClient != m_clientSpoke.exchange(fromClient) && fromClient)
        ++m_turns;
    m_bytes += n;
    const std::string_view sent(buffer, std::size_t(n));
    if (fromClient && m_cut == EverySetUp && sent.find("search_path") != std::string_view::npos)
        return false;
    const bool commit = fromClient && m_cut != None && m_cut != EverySetUp && sent.find("COMMIT") != std::string_view::npos;
    if (commit && m_cut == BeforeCommit) {
        m_cut = None;
        pair.toServer.clear();
        return false;
    }
    if (m_delay.count() > 0 && !commit) {
        (fromClient ? pair.toServer : pair.toClient).emplace_back(Clock::now() + m_delay, std::string(buffer, std::size_t(n)));
        return true;
    }
    if (::write(to, buffer, std::size_t(n)) != n)
        return false;
    if (commit) {
        // The server's answer comes and is dropped: the commit landed, unheard of.
        pollfd answer{to, POLLIN, 0};
        if (::poll(&answer, 1, 10000) == 1)
            [[maybe_unused]] const ssize_t dropped = ::read(to, buffer, sizeof buffer);
        m_cut = None;
        return false;
    }
    return true;
}

} // namespace dwfm::test
