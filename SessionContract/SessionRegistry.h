#pragma once

#include "DwSessionExport.h"
#include "FileStoreSession.h"

#include <functional>
#include <memory>

namespace dwfm {

using FileStoreSessionPtr = std::shared_ptr<FileStoreSession>;
using SessionFactory = std::function<FileStoreSessionPtr()>;
using LastErrorReporter = std::function<void(const QString &)>;

// The process-wide session reference, shared by every control and dialog, and the
// factory a host (or a test) registers so that SetupConnection can make new sessions.
namespace SessionRegistry {

DWSESSION_EXPORT void registerFactory(SessionFactory factory);
DWSESSION_EXPORT bool hasFactory();
// A new session from the registered factory; throws DwError 429 when none is registered
// or the factory made none.
DWSESSION_EXPORT FileStoreSessionPtr createSession();

// The current session of the process, or null before the first connection.
DWSESSION_EXPORT FileStoreSessionPtr current();
DWSESSION_EXPORT void setCurrent(FileStoreSessionPtr session);

// How a session's ReportLastError reaches the user; the control installs one that shows
// a message, without one the text goes to the Qt warning log.
DWSESSION_EXPORT void setLastErrorReporter(LastErrorReporter reporter);
DWSESSION_EXPORT void reportLastError(const QString &text);

} // namespace SessionRegistry
} // namespace dwfm
