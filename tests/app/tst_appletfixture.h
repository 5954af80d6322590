#pragma once

// Shared by the applet tests: an applet that records its hook calls and commands, and the
// prompt of the test support that records its message boxes.

#include "applet.h"
#include "recordingprompt.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

#include <functional>

class TestApplet : public Applet
{
public:
    struct Command {
        QString command;
        QVariant args;
        bool triggeredByControl;
    };

    explicit TestApplet(QWidget *parent = nullptr) : Applet(parent) { setObjectName("TestApplet"); }

    QVariant run(const QString &command, const QVariant &args) override
    {
        functions.insert("Cmd", "a command");
        commands.append({command, args, triggeredByControl});
        return QVariant(true);
    }

    bool updateItem(int mode, const QString &name) override
    {
        hookCalls.append(qMakePair(mode, name));
        return hook ? hook(mode, name) : true;
    }

    bool init() override
    {
        ++initCalls;
        if (onInit)
            onInit(this);
        return initResult;
    }

    void onConnected() override { connectedWhileOnline.append(isOnline()); }
    void onDisconnected() override { ++disconnectCalls; }

    using Applet::controls;
    using Applet::extraWidgets;
    using Applet::fixedHeight;
    using Applet::fixedWidth;
    using Applet::functions;
    using Applet::triggeredByControl;

    QList<QPair<int, QString>> hookCalls;
    QList<Command> commands;
    QList<bool> connectedWhileOnline;
    int disconnectCalls = 0;
    int initCalls = 0;
    bool initResult = true;
    std::function<bool(int, const QString &)> hook;
    std::function<void(TestApplet *)> onInit;
};
