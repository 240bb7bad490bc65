// The server store's link: the round trips an operation costs, and what happens when the link
// breaks (the server restarted or went away between calls, or the connection dropped right
// after a COMMIT was sent so that its answer never came).
#include "PgCluster.h"
#include "StoreFixture.h"

#include "SessionChanges.h"
#include "search/ContentIndexer.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

using namespace dwfm;
using namespace dwfm::store;

namespace {

// Forwards TCP connections on 127.0.0.1 to the test's server, counting the round trips (each
// time the client speaks again after the server answered). Armed, it cuts the connection
// that sends a COMMIT: either after passing the COMMIT on and swallowing the server's answer
// (the change lands, the client never hears of it), or without passing it on.
class CuttingProxy {
public:
    enum Cut { None, AfterCommit, BeforeCommit };

    explicit CuttingProxy(int serverPort) : m_serverPort(serverPort)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = address(0);
        socklen_t size = sizeof a;
        if (::bind(m_listener, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(m_listener, 8) != 0 ||
            ::getsockname(m_listener, reinterpret_cast<sockaddr *>(&a), &size) != 0)
            ADD_FAILURE() << "the proxy cannot listen";
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { run(); });
    }
    ~CuttingProxy()
    {
        m_stop = true;
        m_thread.join();
        ::close(m_listener);
    }
    // Without TLS: the proxy reads what passes.
    QString server() const { return QStringLiteral("host=127.0.0.1 port=%1 sslmode=disable").arg(m_port); }
    void arm(Cut cut) { m_cut = cut; }
    bool fired() const { return m_cut == None; }
    int takeTurns() { return m_turns.exchange(0); }

private:
    static sockaddr_in address(int port)
    {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(quint16(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return a;
    }

    void run()
    {
        std::vector<std::pair<int, int>> pairs; // client, server
        while (!m_stop) {
            std::vector<pollfd> fds{{m_listener, POLLIN, 0}};
            for (const auto &[client, server] : pairs)
                fds.insert(fds.end(), {{client, POLLIN, 0}, {server, POLLIN, 0}});
            if (::poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            // Only the pairs polled above have events; one accepted now waits for the next poll.
            const std::size_t polled = pairs.size();
            if (fds[0].revents & POLLIN) {
                const int client = ::accept(m_listener, nullptr, nullptr);
                const int server = ::socket(AF_INET, SOCK_STREAM, 0);
                const sockaddr_in a = address(m_serverPort);
                ::connect(server, reinterpret_cast<const sockaddr *>(&a), sizeof a);
                pairs.emplace_back(client, server);
            }
            for (std::size_t i = 0; i < polled; ++i) {
                const auto [client, server] = pairs[i];
                const bool fromClient = fds[1 + 2 * i].revents != 0, fromServer = fds[2 + 2 * i].revents != 0;
                if ((fromClient && !pass(client, server, true)) || (fromServer && !pass(server, client, false))) {
                    ::close(client);
                    ::close(server);
                    pairs[i] = {-1, -1};
                }
            }
            std::erase(pairs, std::pair{-1, -1});
        }
        for (const auto &[client, server] : pairs) {
            ::close(client);
            ::close(server);
        }
    }

    // Passes what `from` sent on to `to`; false when the connection is to end.
    bool pass(int from, int to, bool fromClient)
    {
        char buffer[65536];
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        if (fromClient != m_clientSpoke.exchange(fromClient) && fromClient)
            ++m_turns;
        const bool commit = fromClient && m_cut != None && std::string_view(buffer, std::size_t(n)).find("COMMIT") != std::string_view::npos;
        if (commit && m_cut == BeforeCommit) {
            m_cut = None;
            return false;
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

    int m_serverPort;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<Cut> m_cut{None};
    std::atomic<int> m_turns{0};
    std::atomic<bool> m_clientSpoke{false};
    std::thread m_thread;
};

// Connects anna's session through the proxy without background indexing: only the
// session's own statements pass it.
bool connectThrough(const CuttingProxy &proxy, DwFileStoreSession &session, const QString &catalogue)
{
    ContentIndexer::setEnabled(false);
    const bool connected = session.Connect(proxy.server(), "anna", "anna", catalogue, true);
    ContentIndexer::setEnabled(true);
    return connected;
}

} // namespace

// A small file's operations each cost a fixed number of round trips; one more is a
// regression that a slow link multiplies.
TEST_P(ServerStoreTest, SmallFileOperationsTakeTheirFewRoundTrips)
{
    CuttingProxy proxy(PgCluster::server().section(QLatin1Char(':'), -1).toInt());
    DwFileStoreSession far;
    ASSERT_TRUE(connectThrough(proxy, far, m_catalogue)) << far.Database().LastError().toStdString();
    const qint32 id = addFile(*anna, "Klein.txt", "klein", tekeningen);
    auto &p = far.Projects();
    const struct {
        const char *what;
        std::function<bool()> run;
        int turns;
    } operations[] = {
        {"check-out", [&] { return p.CheckOutProject(id, QString()); }, 5},
        {"undo", [&] { return p.CancelCheckOut(id, QString(), true); }, 2},
        {"check-out by its holder", [&] { return p.CheckOutProject(id, QString()); }, 4},
        {"check-in", [&] { return p.CheckInProject(id, QString(), false); }, 3},
        {"rename", [&] { return p.RenameProject(id, "Kleiner.txt"); }, 2},
        {"delete", [&] { return p.DeleteProject(id); }, 2},
    };
    for (const auto &o : operations) {
        proxy.takeTurns();
        EXPECT_TRUE(o.run()) << o.what << ": " << far.Database().LastError().toStdString();
        EXPECT_EQ(proxy.takeTurns(), o.turns) << o.what;
    }
}

// A change whose COMMIT answer was lost is settled by asking the server: what landed is
// carried through on this side (the working copy placed, the checked-in copy removed), what
// did not leaves nothing, and the session goes on working over a new connection.
TEST_P(ServerStoreTest, AChangeWhoseCommitAnswerWasLostIsSettledByAskingTheServer)
{
    CuttingProxy proxy(PgCluster::server().section(QLatin1Char(':'), -1).toInt());
    DwFileStoreSession far;
    ASSERT_TRUE(connectThrough(proxy, far, m_catalogue)) << far.Database().LastError().toStdString();
    const struct {
        CuttingProxy::Cut cut;
        bool checkIn; // else a check-out
        bool landed;
    } cases[] = {
        {CuttingProxy::AfterCommit, false, true},
        {CuttingProxy::BeforeCommit, false, false},
        {CuttingProxy::AfterCommit, true, true},
        {CuttingProxy::BeforeCommit, true, false},
    };
    int n = 0;
    for (const auto &c : cases) {
        const QString name = QStringLiteral("Verloren antwoord %1.txt").arg(++n);
        const qint32 id = addFile(*anna, name, "versie 1", tekeningen);
        if (c.checkIn) {
            ASSERT_TRUE(far.Projects().CheckOutProject(id, QString())) << far.Database().LastError().toStdString();
            writeFile(localFile("anna", name), "versie 2");
        }
        SCOPED_TRACE(name.toStdString());
        proxy.arm(c.cut);
        const bool answer = c.checkIn ? far.Projects().CheckInProject(id, "klaar", true)
                                      : far.Projects().CheckOutProject(id, QString());
        EXPECT_TRUE(proxy.fired());
        EXPECT_EQ(answer, c.landed) << far.Database().LastError().toStdString();
        if (!c.landed) {
            EXPECT_TRUE(far.Database().LastError().contains("niets gewijzigd")) << far.Database().LastError().toStdString();
        }
        RecordsetPtr info;
        ASSERT_TRUE(anna->Projects().GetProjectInfo(info, id));
        EXPECT_EQ(info->value("CheckedOut").toBool(), c.landed != c.checkIn);
        EXPECT_EQ(storedContent(id), c.checkIn && c.landed ? "versie 2" : "versie 1");
        // The working copy follows what the server says.
        const bool copy = QFileInfo::exists(localFile("anna", name));
        EXPECT_EQ(copy, c.landed != c.checkIn);
    }
    EXPECT_TRUE(far.Projects().RenameProject(addFile(*anna, "Daarna.txt", "d", tekeningen), "Nog steeds.txt"))
        << far.Database().LastError().toStdString();
    EXPECT_EQ(checkStore(), QStringList());
}

// The server stopped abruptly between calls: a call while it is down fails and says so; once
// it is back, the sessions carry on by themselves, live updates included.
TEST_P(ServerStoreTest, SessionsCarryOnAfterTheServerRestarted)
{
    const qint32 file = addFile(*anna, "Na herstart.txt", "x", tekeningen);
    SessionChanges *changes = anna->Changes();
    ASSERT_NE(changes, nullptr);
    QString whileDown;
    ASSERT_TRUE(PgCluster::stopAndStart([&] {
        EXPECT_FALSE(bert->Projects().RenameProject(file, "Onderweg.txt"));
        whileDown = bert->Database().LastError();
        // The next try waits a moment: a dialog's many files do not each wait for a server that is down.
        QTest::qWait(2100);
    }));
    EXPECT_TRUE(whileDown.contains("kon niet worden hersteld")) << whileDown.toStdString();
    ASSERT_TRUE(anna->Projects().CheckOutProject(file, QString())) << anna->Database().LastError().toStdString();
    QTest::qWait(500);
    QSignalSpy told(changes, &SessionChanges::LocationsChanged);
    ASSERT_TRUE(bert->Projects().RenameProject(addFile(*bert, "Van bert.txt", "b", projecten), "Hernoemd.txt"))
        << bert->Database().LastError().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.count() > 0; }, 5000)) << "the session listens again";
    EXPECT_EQ(told.at(0).at(0).value<QList<qint32>>(), QList<qint32>{projecten});
}
