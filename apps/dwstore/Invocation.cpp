// Reading dwstore's command line; kept apart from the commands so that it can be tried
// on its own (the fuzz targets).
#include "Commands.h"

bool parseInvocation(const QStringList &args, Invocation &inv, bool &help, QString &error)
{
    help = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--store") || a == QLatin1String("--catalog") || a == QLatin1String("--server")) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("De optie %1 verwacht een waarde.").arg(a);
                return false;
            }
            (a == QLatin1String("--store")     ? inv.storeFolder
             : a == QLatin1String("--catalog") ? inv.catalogue
                                               : inv.server) = args[++i];
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            help = true;
        } else {
            inv.words << a;
        }
    }
    return true;
}
