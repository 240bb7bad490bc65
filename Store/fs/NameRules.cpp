#include "fs/NameRules.h"

#include "DwError.h"

#include <QFile>

namespace dwfm::store::NameRules {

int byteLength(const QString &name)
{
    return int(QFile::encodeName(name).size());
}

QString problem(const QString &name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Een naam mag niet leeg zijn.");
    if (const int bytes = byteLength(name); bytes > MaxBytes) {
        return QStringLiteral("De naam is te lang: op schijf telt hij %1 bytes, hoogstens %2 zijn toegestaan.")
            .arg(bytes)
            .arg(MaxBytes);
    }
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("De naam '%1' is niet toegestaan.").arg(name);
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("De naam '%1' mag geen scheidingsteken van mappen bevatten.").arg(name);
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return QStringLiteral("De naam mag geen stuurtekens bevatten.");
        for (char16_t forbidden : ForbiddenCharacters) {
            if (forbidden != 0 && c.unicode() == forbidden)
                return QStringLiteral("De naam '%1' mag het teken '%2' niet bevatten.").arg(name, c);
        }
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
