// dwstore check / repair.
#include "Commands.h"

#include "admin/StoreAdmin.h"
#include "admin/StoreCheck.h"

#include <cstdio>

using namespace dwfm::store;

int checkCommand(const Invocation &inv, bool repair, bool confirmed, QTextStream &out)
{
    StoreAdmin admin = openAdmin(inv);
    StoreCheck check(admin.session().context());
    const QStringList findings = check.check();
    for (const QString &line : findings)
        out << line << "\n";
    if (findings.isEmpty()) {
        out << "De store is in orde.\n";
        return ExitOk;
    }
    if (!repair)
        return ExitFailed;
    if (!confirmed) {
        out << findings.size() << " punt(en) herstellen? Onbekende bestanden gaan naar " << check.lostFolder()
            << ". (ja/nee) " << Qt::flush;
        char answer[16] = {};
        if (!std::fgets(answer, sizeof answer, stdin) || QString::fromLatin1(answer).trimmed().toLower() != QLatin1String("ja")) {
            out << "Niets gewijzigd.\n";
            return ExitFailed;
        }
    }
    for (const QString &line : check.repair())
        out << line << "\n";
    const QStringList left = check.check();
    for (const QString &line : left)
        out << "Nog niet in orde: " << line << "\n";
    if (left.isEmpty())
        out << "De store is in orde.\n";
    return left.isEmpty() ? ExitOk : ExitFailed;
}
