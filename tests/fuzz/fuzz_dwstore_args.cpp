// dwstore's command line: any list of words is read without crashing; the global options
// never end up among the command words, and the option parser refuses or accepts.
#include "../../apps/dwstore/Args.h"
#include "../../apps/dwstore/Commands.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Words are separated by NUL bytes, as the system hands them over.
    const QStringList words = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size)).split(QChar(0));
    Invocation inv;
    bool help = false;
    QString error;
    if (parseInvocation(words, inv, help, error)) {
        if (inv.words.contains(QStringLiteral("--store")) || inv.words.contains(QStringLiteral("--catalog")))
            std::abort();
    } else if (error.isEmpty()) {
        std::abort();
    }
    try {
        const Args a(inv.words.mid(1), {QStringLiteral("parent"), QStringLiteral("name"), QStringLiteral("roots")},
                     {QStringLiteral("yes"), QStringLiteral("reset")});
        for (const QString &p : a.positional) {
            if (p.startsWith(QLatin1String("--")))
                std::abort();
        }
    } catch (const UsageError &e) {
        if (e.text.isEmpty())
            std::abort();
    }
    return 0;
}
