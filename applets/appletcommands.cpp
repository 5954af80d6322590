#include "appletcommands.h"

bool AppletCommands::offer(QMap<QString, QString> &functions, const QString &requested,
                           const QString &name, const QString &help)
{
    if (!functions.contains(name))
        functions.insert(name, help);
    return requested == name;
}
