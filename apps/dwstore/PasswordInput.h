#pragma once

#include <QString>

// How dwstore gets a new password: never from its command line (every process list shows
// that), but asked on the terminal without echo, or read from standard input.
enum class PasswordSource { Terminal, StandardInput };

// Reads a new password for `user`. On the terminal it is asked twice and must match;
// from standard input it is the first line. An empty password means none. Throws
// UsageError when there is no terminal to ask on, or the two entries differ.
QString readNewPassword(const QString &user, PasswordSource source);
