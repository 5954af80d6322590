#include "configurationcalls.h"

#include "configuration.h"
#include "variable.h"

#include <QVariant>

void ConfigurationCalls::set(const QString &name, int value)
{
    if (Configuration *configuration = Configuration::instance())
        configuration->set(name, QVariant(value), Variable::InternalKey);
}

int ConfigurationCalls::get(const QString &name)
{
    Configuration *configuration = Configuration::instance();
    return configuration ? configuration->get(name, Variable::InternalKey).toInt() : 0;
}

void ConfigurationCalls::run(const QString &command)
{
    if (Configuration *configuration = Configuration::instance())
        configuration->run(command, QVariant(QString(QLatin1String(""))));
}
