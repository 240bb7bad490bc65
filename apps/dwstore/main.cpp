// dwstore: creates and administers a document store (embedded or server) from the command line.
#include "Args.h"
#include "Commands.h"
#include "DwError.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dwstore"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    Invocation inv;
    bool help = false;
    QString error;
    if (!parseInvocation(QCoreApplication::arguments().mid(1), inv, help, error)) {
        err << error << "\n";
        return ExitUsage;
    }
    if (help) {
        printUsage(out);
        return ExitOk;
    }
    // A wrong command line and a refusal of the store end the run with one sentence.
    try {
        return inv.server.isEmpty() ? runCommand(inv, out, err) : runServerCommand(inv, out, err);
    } catch (const UsageError &e) {
        err << e.text << "\n";
        return ExitUsage;
    } catch (const dwfm::DwError &e) {
        err << e.description() << "\n";
        return ExitFailed;
    }
}
