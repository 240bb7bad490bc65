#include "Keys.h"

#include "platform/TextHelpers.h"

namespace dwfm {

qint32 IdOfKey(const QString &key)
{
    bool ok = false;
    const qint32 id = StripLastChar(key).toInt(&ok);
    return ok ? id : 0;
}

} // namespace dwfm
