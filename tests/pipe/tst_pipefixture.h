#pragma once

// Shared by the pipe tests: a request handler that records every request with its typed value
// and answers as the test tells it, and a client written against the pipe protocol.

#include "pipeclient.h"
#include "requesthandler.h"

#include <QMutex>
#include <QtTest>

// A value as "type:text", a list as "[...]", nothing as "-".
inline QString typed(const QVariant &v)
{
    if (v.typeId() != QMetaType::QVariantList)
        return v.isValid() ? QString(v.typeName()) + ":" + v.toString() : QString("-");
    QStringList items;
    for (const QVariant &item : v.toList())
        items << typed(item);
    return "[" + items.join(",") + "]";
}

class RecordingHandler : public RequestHandler
{
public:
    bool set(const QString &name, QVariant &value) override
    {
        record("set " + name + " " + typed(value));
        return ok;
    }
    bool get(const QString &name, QVariant *result) override
    {
        record("get " + name);
        *result = named.value(name, value);
        return ok && name != "A.missing";
    }
    bool run(const QString &command, QVariant &args, QVariant *result) override
    {
        record("run " + command + " " + typed(args));
        *result = named.value(command, value);
        return ok;
    }
    void addLog(int level, const QString &text) override
    {
        QMutexLocker lock(&mutex);
        logs << qMakePair(level, text);
    }
    QStringList takeCalls()
    {
        QMutexLocker lock(&mutex);
        return std::exchange(calls, {});
    }

    QMutex mutex; // requests may come from a server thread
    QStringList calls;
    QList<QPair<int, QString>> logs;
    bool ok = true;
    QVariant value = 7; // what get and run answer
    QHash<QString, QVariant> named; // what get and run of a name answer in place of value
    int nestedLoopMs = 0; // a request that runs a nested event loop, as a message box does
    int depth = 0, maxDepth = 0;

private:
    void record(const QString &call)
    {
        {
            QMutexLocker lock(&mutex);
            calls << call;
        }
        maxDepth = qMax(maxDepth, ++depth);
        if (nestedLoopMs > 0)
            QTest::qWait(nestedLoopMs);
        --depth;
    }
};
