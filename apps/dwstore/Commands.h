#pragma once

#include <QStringList>
#include <QTextStream>

// Exit codes of dwstore.
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// The arguments of one dwstore run: the global options and the command words.
struct Invocation {
    QString storeFolder; // empty: the default store folder (an embedded store's only)
    QString server;      // a server store's "host[:port]"; empty: an embedded store
    QString catalogue;   // empty: the default catalogue (Demo for the demo command)
    QStringList words;   // command, sub-command and their arguments and options
};

// Reads the command line (without the program name): the global options --store and
// --catalog anywhere, the rest as command words. Answers false with `error` set when an
// option lacks its value; `help` is set for --help / -h.
bool parseInvocation(const QStringList &args, Invocation &inv, bool &help, QString &error);

namespace dwfm::store {
class StoreAdmin;
class StoreAdministration;
}

// `dwstore check` and `dwstore repair`: 0 when the store is (now) sound. `deep` reads every
// content back against its hash.
int checkCommand(dwfm::store::StoreAdministration &admin, bool repair, bool deep, bool confirmed, QTextStream &out);
// The store of the invocation, opened as an administrator acting for the system account.
dwfm::store::StoreAdmin openAdmin(const Invocation &inv);

// Runs one command; throws UsageError for a wrong command line and DwError when the store
// refuses.
int runCommand(const Invocation &inv, QTextStream &out, QTextStream &err);
void printUsage(QTextStream &out);
// Runs one command on a server store (inv.server set); throws as runCommand does.
int runServerCommand(const Invocation &inv, QTextStream &out, QTextStream &err);

// The commands both stores share: user, location, import, ls, who, undo-checkout, versions,
// prune, check and repair.
bool isSharedCommand(const QString &command);
// Runs one of them on a store's administration; throws UsageError or DwError.
int sharedCommand(dwfm::store::StoreAdministration &admin, const Invocation &inv, QTextStream &out, QTextStream &err);
// How to connect to the demo store on `server` (a folder or a server's address).
void printDemoConnection(const QString &server, const QString &catalogue, QTextStream &out);
