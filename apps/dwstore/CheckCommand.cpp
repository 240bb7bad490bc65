// dwstore check / repair.
#include "Commands.h"

#include "admin/StoreAdministration.h"

#include <cstdio>

using namespace dwfm::store;

int checkCommand(StoreAdministration &admin, bool repair, bool deep, bool confirmed, QTextStream &out)
{
    const QStringList findings = admin.check(deep);
    for (const QString &line : findings)
        out << line << "\n";
    if (findings.isEmpty()) {
        out << "De store is in orde.\n";
        return ExitOk;
    }
    if (!repair)
        return ExitFailed;
    if (!confirmed) {
        const QString lost = admin.lostFolder();
        out << findings.size() << " punt(en) herstellen?"
            << (lost.isEmpty() ? QString() : QStringLiteral(" Onbekende bestanden gaan naar %1.").arg(lost)) << " (ja/nee) "
            << Qt::flush;
        char answer[16] = {};
        if (!std::fgets(answer, sizeof answer, stdin) || QString::fromLatin1(answer).trimmed().toLower() != QLatin1String("ja")) {
            out << "Niets gewijzigd.\n";
            return ExitFailed;
        }
    }
    for (const QString &line : admin.repair(deep))
        out << line << "\n";
    const QStringList left = admin.check(deep);
    for (const QString &line : left)
        out << "Nog niet in orde: " << line << "\n";
    if (left.isEmpty())
        out << "De store is in orde.\n";
    return left.isEmpty() ? ExitOk : ExitFailed;
}
