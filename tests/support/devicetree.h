#pragma once

// A /sys/class/tty root and a device directory of a test's own (header only, for tests that
// link the link library). In /tmp, readable by all, so that an unprivileged child can list it
// too. A device file is a link to a pseudo-terminal (a simulated board's).
#include "portprobe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

struct DeviceTree {
    DeviceTree() : dir(QStringLiteral("/tmp/kvl-ports-XXXXXX"))
    {
        QDir(dir.path()).mkpath(QStringLiteral("sys"));
        QDir(dir.path()).mkpath(QStringLiteral("dev"));
        ::chmod(QFile::encodeName(dir.path()), 0755);
        paths = {dir.filePath(QStringLiteral("sys")), dir.filePath(QStringLiteral("dev"))};
    }
    // A tty entry; with device, one with a device behind it; with target, its device file
    // links there. Returns the device file's path.
    QString add(const QString &name, bool device, const QString &target)
    {
        QDir(paths.sysRoot).mkpath(device ? name + QStringLiteral("/device") : name);
        const QString path = QDir(paths.devDir).filePath(name);
        if (!target.isEmpty())
            QFile::link(target, path);
        return path;
    }
    // The entry and the device file go, as when a device is unplugged.
    void remove(const QString &name)
    {
        QDir(QDir(paths.sysRoot).filePath(name)).removeRecursively();
        QFile::remove(QDir(paths.devDir).filePath(name));
    }
    QTemporaryDir dir;
    PortPaths paths;
};
