// dwstore: creates and administers an embedded document store from the command line.
#include "Commands.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("dwstore"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    Invocation inv;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        if (a == QLatin1String("--store") || a == QLatin1String("--catalog") || a == QLatin1String("--server")) {
            if (i + 1 >= args.size()) {
                err << "De optie " << a << " verwacht een waarde.\n";
                return ExitUsage;
            }
            (a == QLatin1String("--store") ? inv.storeFolder
                                            : a == QLatin1String("--catalog") ? inv.catalogue : inv.server) = args[++i];
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            printUsage(out);
            return ExitOk;
        } else {
            inv.words << a;
        }
    }
    return inv.server.isEmpty() ? runCommand(inv, out, err) : runServerCommand(inv, out, err);
}
