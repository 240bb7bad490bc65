#pragma once

#include <QString>

#include <optional>

// Reading a password where no window can ask for it.
namespace PasswordInput {

// The first line of standard input, without its line end (for --password-stdin); nothing
// when standard input is closed before anything was read.
std::optional<QString> readLine();
// True when standard input is a terminal a person types at.
bool stdinIsTerminal();
// Writes `prompt` to standard error and reads a line from the terminal without showing
// what is typed; nothing when the terminal gives no line.
std::optional<QString> askOnTerminal(const QString &prompt);

} // namespace PasswordInput
