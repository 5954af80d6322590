#pragma once

#include "applet.h"

#include <QList>
#include <QString>

// The first applet of a table with the object name, or null (null entries are skipped).
inline Applet *findAppletByName(const QList<Applet *> &applets, const QString &name)
{
    for (Applet *applet : applets) {
        if (applet && applet->name() == name)
            return applet;
    }
    return nullptr;
}
