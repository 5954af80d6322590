#pragma once

// Shared by the shell tests: a prompt that records what the program asks and answers as the
// test tells it, and a tool applet with two variables and a command log.

#include "applet.h"
#include "pipename.h"
#include "prompt.h"
#include "variable.h"

#include <QElapsedTimer>
#include <QList>
#include <QLocalSocket>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtTest>

#include <functional>
#include <memory>

class ShellPrompt : public Prompt
{
public:
    ShellPrompt() { Prompt::install(this); }
    ~ShellPrompt() override { Prompt::install(nullptr); }

    int message(const Message &msg) override
    {
        messages.append(msg);
        return buttons.isEmpty() ? defaultAnswer(msg) : buttons.takeFirst();
    }
    QString getText(const QString &, const QString &, const QString &text, bool *ok) override
    {
        if (ok)
            *ok = true;
        return text;
    }
    QString getItem(const QString &title, const QString &, const QStringList &items, int current,
                    bool *ok) override
    {
        itemTitles.append(title);
        itemLists.append(items);
        itemCurrents.append(current);
        if (onItem)
            onItem();
        if (ok)
            *ok = itemAccepted;
        return items.value(itemAnswer < 0 ? current : itemAnswer);
    }
    QString openFileName(const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QString saveFileName(const QString &, const QString &, const QString &) override
    {
        return QString();
    }

    QList<Message> messages;
    QList<int> buttons;     // answers to the next messages; default answers when empty
    QStringList itemTitles; // the single-choice questions asked
    QList<QStringList> itemLists;
    QList<int> itemCurrents;
    int itemAnswer = -1; // the item chosen; -1 keeps the current one
    bool itemAccepted = true;
    std::function<void()> onItem;
};

// A tool applet with the variables SA (writable, 0..31) and LOCK (read-only).
class ToolApplet : public Applet
{
public:
    explicit ToolApplet(const QString &name)
        : sa("@variable=SA@value=1@min=0@max=31@descr=Start address"),
          lock("@variable=LOCK@value=2@readonly@descr=Locked")
    {
        setObjectName(name);
        setWindowTitle(name + QStringLiteral(" tool"));
        resize(300, 200);
    }

    QVariant run(const QString &command, const QVariant &args) override
    {
        commands.append(command);
        arguments.append(args);
        return QStringLiteral("done:") + command;
    }
    bool init() override
    {
        ++initCalls;
        addVariable(&sa);
        addVariable(&lock);
        return initResult;
    }
    void onConnected() override { ++connects; }

    Variable sa;
    Variable lock;
    QStringList commands;
    QVariantList arguments;
    int initCalls = 0;
    int connects = 0;
    bool initResult = true;
};

// One request batch to the program's pipe; the reply is read until the server closes.
class PipeClient
{
public:
    explicit PipeClient(const QString &pipeName = QStringLiteral("KVL52110"))
    {
        socket.connectToServer(PipeName::localName(PipeName::pipePath(pipeName)));
    }
    bool send(const QByteArray &batch)
    {
        if (!socket.waitForConnected(2000))
            return false;
        socket.write(batch);
        return socket.waitForBytesWritten(2000);
    }
    // Collects the reply while the event loop runs (the server lives in this thread).
    QByteArray waitForReply(int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (socket.state() != QLocalSocket::UnconnectedState && timer.elapsed() < timeoutMs) {
            QTest::qWait(10);
            reply += socket.readAll();
        }
        reply += socket.readAll();
        return reply;
    }

    QLocalSocket socket;
    QByteArray reply;
};
