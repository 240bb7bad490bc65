#include "Automation.h"

#include "DwError.h"

namespace dwfm {

AutomationObject::~AutomationObject() = default;
AutomationServers::~AutomationServers() = default;

namespace {
// No word processor or spreadsheet registers an automation server on this platform:
// nothing runs, and nothing can be started.
class PlatformAutomationServers : public AutomationServers {
public:
    AutomationRef attach(const QString &) override { return nullptr; }
    AutomationRef start(const QString &className) override
    {
        throw DwError(DwError::CannotCreateObject,
                      QStringLiteral("Er is geen automatiseringsserver '%1' geregistreerd.").arg(className));
    }
};

AutomationServers *g_installed = nullptr;
} // namespace

AutomationServers &automationServers()
{
    static PlatformAutomationServers platform;
    return g_installed ? *g_installed : platform;
}

void setAutomationServers(AutomationServers *servers) { g_installed = servers; }

} // namespace dwfm
