#pragma once

#include <QMap>
#include <QString>

// The command table of an applet's run: each command's help entry is added (when missing)
// just before the requested text is compared with it, so the console, which runs an empty
// command, learns every command.
class AppletCommands
{
public:
    // Adds name with help to functions unless it is there, then tells whether requested is
    // the command name, whole and case-sensitive.
    static bool offer(QMap<QString, QString> &functions, const QString &requested,
                      const QString &name, const QString &help);
};
