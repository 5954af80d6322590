// The process's memory as the memory benchmarks compare it: heap in use and resident set.
#ifndef MEMORYUSAGE_H
#define MEMORYUSAGE_H

#include <QByteArray>
#include <QFile>

#include <malloc.h>

struct Usage {
    double residentKb = 0;
    double heapKb = 0;
};

inline Usage usage()
{
    Usage u;
    const struct mallinfo2 info = mallinfo2();
    u.heapKb = double(info.uordblks + info.hblkhd) / 1024.0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                u.residentKb = line.mid(6).trimmed().split(' ').first().toDouble();
    }
    return u;
}

#endif
