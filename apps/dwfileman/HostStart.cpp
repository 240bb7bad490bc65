#include "HostStart.h"

#include "HostSettings.h"
#include "MainWindow.h"
#include "PasswordInput.h"

namespace HostStart {

namespace {
Outcome viaDialog(MainWindow &window, const StoreConnection &initial, const QString &reason, bool remember)
{
    return window.askConnection(initial, reason, remember) ? Outcome::Connected : Outcome::GaveUp;
}
} // namespace

Outcome connect(MainWindow &window, const HostOptions &options, bool interactive, QString &failure)
{
    StoreConnection connection;
    const bool remember = !options.connectionGiven;
    if (options.connectionGiven) {
        connection = options.connection;
        if (options.passwordStdin) {
            const std::optional<QString> password = PasswordInput::readLine();
            if (!password) {
                failure = QStringLiteral("Er kwam geen wachtwoord op de standaardinvoer.");
                return Outcome::Failed;
            }
            connection.password = *password;
        }
    } else if (const std::optional<StoreConnection> remembered = HostSettings::connection()) {
        connection = *remembered;
    } else if (interactive) {
        return viaDialog(window, StoreConnection(), QString(), true);
    } else {
        // Nobody to ask: the default store, as the operating-system account.
        connection.sqlSecurity = false;
    }

    if (connection.needsPassword()) {
        if (interactive)
            return viaDialog(window, connection, QString(), remember);
        if (!PasswordInput::stdinIsTerminal()) {
            failure = QStringLiteral("Geen wachtwoord voor gebruiker '%1': geef het met --password-stdin, of start "
                                     "dwfileman op het bureaublad.")
                          .arg(connection.user);
            return Outcome::Failed;
        }
        const std::optional<QString> password =
            PasswordInput::askOnTerminal(QStringLiteral("Wachtwoord voor %1: ").arg(connection.user));
        if (!password) {
            failure = QStringLiteral("Geen wachtwoord gegeven.");
            return Outcome::Failed;
        }
        connection.password = *password;
    }

    const QString reason = window.openStore(connection, remember);
    if (reason.isEmpty())
        return Outcome::Connected;
    if (interactive) {
        connection.password.clear();
        return viaDialog(window, connection, reason, remember);
    }
    failure = reason;
    return Outcome::Failed;
}

} // namespace HostStart
