#include "FileStoreSession.h"
#include "SessionRegistry.h"

#include "DwError.h"

#include <QDebug>

#include <mutex>

namespace dwfm {

SessionDatabase::~SessionDatabase() = default;
CurrentUserService::~CurrentUserService() = default;
LocationsService::~LocationsService() = default;
ProjectsService::~ProjectsService() = default;
FileStoreSession::~FileStoreSession() = default;

namespace {
struct Registry {
    std::mutex mutex;
    SessionFactory factory;
    FileStoreSessionPtr current;
    LastErrorReporter reporter;
};

Registry &registry()
{
    static Registry instance;
    return instance;
}
} // namespace

namespace SessionRegistry {

void registerFactory(SessionFactory factory)
{
    std::lock_guard lock(registry().mutex);
    registry().factory = std::move(factory);
}

bool hasFactory()
{
    std::lock_guard lock(registry().mutex);
    return bool(registry().factory);
}

FileStoreSessionPtr createSession()
{
    SessionFactory factory;
    {
        std::lock_guard lock(registry().mutex);
        factory = registry().factory;
    }
    if (!factory) {
        throw DwError(DwError::CannotCreateObject,
                      QStringLiteral("Er is geen FileStoreSession beschikbaar: de toepassing heeft geen "
                                     "sessie-fabriek geregistreerd."));
    }
    FileStoreSessionPtr session = factory();
    if (!session) {
        throw DwError(DwError::CannotCreateObject,
                      QStringLiteral("De FileStoreSession kon niet worden aangemaakt."));
    }
    return session;
}

FileStoreSessionPtr current()
{
    std::lock_guard lock(registry().mutex);
    return registry().current;
}

void setCurrent(FileStoreSessionPtr session)
{
    std::lock_guard lock(registry().mutex);
    registry().current = std::move(session);
}

void setLastErrorReporter(LastErrorReporter reporter)
{
    std::lock_guard lock(registry().mutex);
    registry().reporter = std::move(reporter);
}

void reportLastError(const QString &text)
{
    LastErrorReporter reporter;
    {
        std::lock_guard lock(registry().mutex);
        reporter = registry().reporter;
    }
    if (reporter)
        reporter(text);
    else
        qWarning().noquote() << text;
}

} // namespace SessionRegistry
} // namespace dwfm
