#include "fs/FaultInjection.h"

#include "DwError.h"

#include <QByteArray>
#include <QtGlobal>

#include <csignal>
#include <cstdlib>
#include <cstring>

namespace dwfm::store::FaultInjection {

namespace {
Hook testHook = nullptr;
}

void setHook(Hook hook)
{
    testHook = hook;
}

void point(const char *name)
{
    if (testHook)
        testHook(name);
    const char *armed = std::getenv("DW_STORE_FAULT");
    if (!armed || std::strcmp(armed, name) != 0)
        return;
#ifdef SIGKILL
    std::raise(SIGKILL);
#endif
    std::abort();
}

void check(const char *name)
{
    point(name);
    const char *armed = std::getenv("DW_STORE_FAULT");
    if (armed && std::strncmp(armed, "fail:", 5) == 0 && std::strcmp(armed + 5, name) == 0)
        throw DwError(DwError::DiskFull, QStringLiteral("Databasefout: de schijf is vol."));
}

} // namespace dwfm::store::FaultInjection
