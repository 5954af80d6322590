#include "automationbackend.h"

#include "automationobject.h"

namespace
{
AutomationBackend *installedBackend = nullptr;
}

AutomationBackend *AutomationBackend::instance()
{
    static NullAutomationBackend none;
    return installedBackend ? installedBackend : &none;
}

void AutomationBackend::install(AutomationBackend *backend)
{
    installedBackend = backend;
}

AutomationObject *NullAutomationBackend::create(const QString &)
{
    return nullptr;
}
