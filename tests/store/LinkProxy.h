#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

namespace dwfm::test {

// Forwards TCP connections on 127.0.0.1 to a server port, as a link between a client and the
// server would: it counts the round trips (each time the client speaks again after the server
// answered), can hold each direction back by a fixed delay (a slow link), and, armed, cuts
// the connection that sends a COMMIT: either after passing the COMMIT on and swallowing the
// server's answer (the change lands, the client never hears of it), or without passing it on;
// or, until disarmed, every connection at its set-up statement, right after the login.
class LinkProxy {
public:
    enum Cut { None, AfterCommit, BeforeCommit, EverySetUp };

    explicit LinkProxy(int serverPort, std::chrono::milliseconds delay = {});
    ~LinkProxy();
    LinkProxy(const LinkProxy &) = delete;
    LinkProxy &operator=(const LinkProxy &) = delete;

    // Whether it listens (a port of its own was free).
    bool listening() const { return m_port != 0; }
    // The server text for a session, without TLS: the proxy reads what passes.
    QString server() const;
    void arm(Cut cut) { m_cut = cut; }
    bool fired() const { return m_cut == None; }
    int takeTurns() { return m_turns.exchange(0); }
    // The bytes passed on in both directions since the last call.
    qint64 takeBytes() { return m_bytes.exchange(0); }

private:
    void run();
    struct Pair;
    bool pass(Pair &pair, bool fromClient);

    int m_serverPort;
    std::chrono::milliseconds m_delay;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<Cut> m_cut{None};
    std::atomic<int> m_turns{0};
    std::atomic<qint64> m_bytes{0};
    std::atomic<bool> m_clientSpoke{false};
    std::thread m_thread;
};

} // namespace dwfm::test
