#pragma once

#include <QString>

class AutomationObject;

// Creates application objects of automation servers by their automation names
// ("Excel.Application"). This platform has no automation servers: the default backend creates
// nothing. Tests install a recording backend.
class AutomationBackend
{
public:
    virtual ~AutomationBackend() = default;
    // The application object, owned by the caller; null when there is no such application.
    virtual AutomationObject *create(const QString &automationName) = 0;

    // The installed backend, or the default one. Ownership stays with the caller of
    // install(); install(nullptr) restores the default.
    static AutomationBackend *instance();
    static void install(AutomationBackend *backend);
};

// The backend of a platform without automation servers.
class NullAutomationBackend : public AutomationBackend
{
public:
    AutomationObject *create(const QString &automationName) override;
};
