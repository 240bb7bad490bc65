#pragma once

#include "DwExport.h"

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <memory>
#include <vector>

namespace dwfm {

// One argument of a late-bound call, passed by name. The order of a call's arguments is
// the order they are written in.
struct NamedArgument {
    QString name;
    QVariant value;
};
using NamedArguments = std::vector<NamedArgument>;

// An object of an automation server, reached by member names resolved at run time. Every
// member may fail: a failure throws DwError with the server's number and description.
class DWFILEMANUI_EXPORT AutomationObject {
public:
    virtual ~AutomationObject();

    // A member whose value is an object ("Documents", "ActiveDocument", "MailMerge"); an
    // indexed member takes its index as `index` ("Item" with 1 for the first document).
    virtual std::shared_ptr<AutomationObject> object(const QString &member, const QVariantList &index = {}) = 0;
    // Reads a plain property ("Name", "Count").
    virtual QVariant get(const QString &member) = 0;
    // Writes a plain property ("Visible", "Destination").
    virtual void set(const QString &member, const QVariant &value) = 0;
    // Calls a method with its arguments by name, in the order given; its plain result.
    virtual QVariant invoke(const QString &method, const NamedArguments &arguments = {}) = 0;
};
using AutomationRef = std::shared_ptr<AutomationObject>;

// Where automation servers come from, by class name ("Word.Application").
class DWFILEMANUI_EXPORT AutomationServers {
public:
    virtual ~AutomationServers();

    // The running instance of that class; null when none runs. May throw.
    virtual AutomationRef attach(const QString &className) = 0;
    // Starts a new instance of that class; null (or a throw) when none can be started.
    virtual AutomationRef start(const QString &className) = 0;
};

// The automation servers of the process. This platform registers none: until a host or
// a test installs its own, attaching finds nothing and starting fails.
DWFILEMANUI_EXPORT AutomationServers &automationServers();
// Installs `servers` (not owned; null returns to the platform's own).
DWFILEMANUI_EXPORT void setAutomationServers(AutomationServers *servers);

} // namespace dwfm
