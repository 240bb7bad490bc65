#include "PasswordInput.h"

#include "Args.h"

#include <QByteArray>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {

// One line from `fd`, without its line end; false at the end of the input before any.
bool readLine(int fd, QByteArray &line)
{
    line.clear();
    char c = 0;
    bool any = false;
    for (;;) {
#ifdef Q_OS_UNIX
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
#else
        const int n = std::fread(&c, 1, 1, stdin);
#endif
        if (n <= 0 || c == '\n')
            break;
        any = true;
        line += c;
    }
    if (line.endsWith('\r'))
        line.chop(1);
    return any || c == '\n';
}

QString takeText(QByteArray &bytes)
{
    const QString text = QString::fromUtf8(bytes);
    bytes.fill('\0'); // the copy in the buffer goes
    return text;
}

#ifdef Q_OS_UNIX
// The process's terminal, with echo off while it is open.
class SilentTerminal {
public:
    SilentTerminal() : m_fd(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC))
    {
        if (m_fd >= 0 && ::tcgetattr(m_fd, &m_saved) == 0) {
            termios quiet = m_saved;
            quiet.c_lflag &= ~tcflag_t(ECHO);
            quiet.c_lflag |= ECHONL;
            m_restore = ::tcsetattr(m_fd, TCSAFLUSH, &quiet) == 0;
        }
    }
    ~SilentTerminal()
    {
        if (m_restore)
            ::tcsetattr(m_fd, TCSAFLUSH, &m_saved);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    QString ask(const QString &prompt)
    {
        const QByteArray text = prompt.toUtf8();
        [[maybe_unused]] const ssize_t written = ::write(m_fd, text.constData(), size_t(text.size()));
        QByteArray line;
        if (!readLine(m_fd, line))
            throw UsageError{QStringLiteral("Geen wachtwoord ingevoerd.")};
        return takeText(line);
    }

private:
    int m_fd;
    termios m_saved{};
    bool m_restore = false;
};
#endif

} // namespace

QString readNewPassword(const QString &user, PasswordSource source)
{
    if (source == PasswordSource::StandardInput) {
        QByteArray line;
#ifdef Q_OS_UNIX
        readLine(STDIN_FILENO, line);
#else
        readLine(0, line);
#endif
        return takeText(line);
    }
#ifdef Q_OS_UNIX
    SilentTerminal terminal;
    if (terminal.isOpen()) {
        const QString first = terminal.ask(QStringLiteral("Nieuw wachtwoord voor %1: ").arg(user));
        const QString again = terminal.ask(QStringLiteral("Nogmaals: "));
        if (first != again)
            throw UsageError{QStringLiteral("De twee wachtwoorden verschillen; er is niets gewijzigd.")};
        return first;
    }
#endif
    throw UsageError{QStringLiteral("Er is geen terminal om het wachtwoord te vragen; geef het op standaardinvoer met "
                                    "--password-stdin.")};
}
