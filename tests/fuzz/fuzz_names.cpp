// The store's name rule: any text is answered (accepted or refused with a reason), and an
// accepted name is one path part the disk can hold with every name derived from it.
#include "fs/NameRules.h"

#include <QFile>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace dwfm::store;
    const QString name = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString why = NameRules::problem(name);
    const QString key = NameRules::key(name);
    if (NameRules::key(key) != key)
        std::abort(); // folding twice must not change the key again
    if (why.isEmpty()) {
        const QByteArray onDisk = QFile::encodeName(name);
        if (onDisk.size() > NameRules::MaxBytes || onDisk.contains('/') || onDisk.contains('\0') || name == QLatin1String(".."))
            std::abort();
    }
    return 0;
}
