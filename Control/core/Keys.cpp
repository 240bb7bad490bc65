#include "Keys.h"

#include "DwError.h"
#include "platform/TextHelpers.h"

namespace dwfm {

qint32 IdOfKey(const QString &key)
{
    bool ok = false;
    const qint32 id = StripLastChar(key).toInt(&ok);
    return ok ? id : 0;
}

qint32 FileIdOfKey(const QString &key)
{
    bool ok = false;
    const qint32 id = StripLastChar(key).trimmed().toInt(&ok);
    if (!ok)
        throw DwError(13, QStringLiteral("De sleutel \"%1\" bevat geen bestandsnummer.").arg(key));
    return id;
}

} // namespace dwfm
