#include "fs/FaultInjection.h"

#include <QByteArray>
#include <QtGlobal>

#include <csignal>
#include <cstdlib>

namespace dwfm::store::FaultInjection {

void point(const char *name)
{
    static const QByteArray armed = qgetenv("DW_STORE_FAULT");
    if (armed.isEmpty() || armed != name)
        return;
#ifdef SIGKILL
    std::raise(SIGKILL);
#endif
    std::abort();
}

} // namespace dwfm::store::FaultInjection
