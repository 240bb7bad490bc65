#include "fs/NameRules.h"

#include "platform/DwError.h"

namespace dwfm::store::NameRules {

QString problem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Een naam mag niet leeg zijn.");
    if (name.size() > MaxLength)
        return QStringLiteral("De naam is langer dan %1 tekens.").arg(MaxLength);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("De naam '%1' is niet toegestaan.").arg(name);
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("De naam '%1' mag geen scheidingsteken van mappen bevatten.").arg(name);
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("De naam mag geen stuurtekens bevatten.");
    }
    if (name.contains(QLatin1String("..")))
        return QStringLiteral("De naam '%1' mag geen '..' bevatten.").arg(name);
    return QString();
}

void require(const QString &name)
{
    const QString why = problem(name);
    if (!why.isEmpty())
        throw DwError(DwError::InputError, why);
}

QString key(const QString &name)
{
    return name.toCaseFolded();
}

} // namespace dwfm::store::NameRules
