#include "PasswordInput.h"

#include <algorithm>
#include <cstdio>
#include <string>

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace PasswordInput {

std::optional<QString> readLine()
{
    std::string line;
    int c = 0;
    bool any = false;
    while ((c = std::getchar()) != EOF) {
        any = true;
        if (c == '\n')
            break;
        line.push_back(char(c));
    }
    if (!any)
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const QString password = QString::fromLocal8Bit(line.data(), qsizetype(line.size()));
    // Nothing of the line stays behind in this copy.
    std::fill(line.begin(), line.end(), '\0');
    return password;
}

bool stdinIsTerminal()
{
#ifdef Q_OS_UNIX
    return ::isatty(STDIN_FILENO) == 1;
#else
    return false;
#endif
}

std::optional<QString> askOnTerminal(const QString &prompt)
{
    std::fprintf(stderr, "%s", qPrintable(prompt));
    std::fflush(stderr);
#ifdef Q_OS_UNIX
    termios before{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &before) == 0;
    if (quiet) {
        termios silent = before;
        silent.c_lflag &= tcflag_t(~ECHO);
        silent.c_lflag |= ECHONL;
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    std::optional<QString> password = readLine();
    if (quiet)
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &before);
    return password;
#else
    return readLine();
#endif
}

} // namespace PasswordInput
