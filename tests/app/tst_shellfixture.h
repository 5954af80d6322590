#pragma once

// Shared by the shell tests: a prompt that also records the single-choice questions and
// answers them as the test tells it, and a tool applet with bound widgets and a command log.

#include "applet.h"
#include "checkbox.h"
#include "lineedit.h"
#include "recordingprompt.h"
#include "register.h"
#include "tst_pipefixture.h"
#include "variable.h"

#include <functional>

class ShellPrompt : public RecordingPrompt
{
public:
    QString getItem(const QString &title, const QString &, const QStringList &items, int current,
                    bool *ok) override
    {
        itemQuestions.append(QStringLiteral("%1|%2|%3").arg(title, items.join(",")).arg(current));
        if (onItem)
            onItem();
        if (ok)
            *ok = itemAccepted;
        return items.value(itemAnswer < 0 ? current : itemAnswer);
    }

    QStringList itemQuestions; // each as title|items|current
    int itemAnswer = -1;       // the item chosen; -1 keeps the current one
    bool itemAccepted = true;
    std::function<void()> onItem;
};

// A tool applet with the register BANK (SW1, SW2), the variables SA (writable, 0..31) and
// LOCK (read-only), and widgets bound to BANK[SW1] and SA.
class ToolApplet : public Applet
{
public:
    explicit ToolApplet(const QString &name, QWidget *parent = nullptr)
        : Applet(parent), builtIn(parent), bank("SW1#Switch one;SW2#Switch two", "BANK"),
          sa("@variable=SA@value=1@min=0@max=31@descr=Start address"),
          lock("@variable=LOCK@value=2@readonly@descr=Locked")
    {
        setObjectName(name);
        setWindowTitle(name + QStringLiteral(" tool"));
        resize(300, 200);
        cbSw1 = bound<CustomControls::CheckBox>("BANK[SW1]", 10);
        leSa = bound<CustomControls::LineEdit>("SA", 40);
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
        if (whileInit)
            whileInit();
        return addRegister(&bank, 2) && addVariable(&sa) && addVariable(&lock) && initResult;
    }
    void onConnected() override { ++connects; }

    template <typename W> W *bound(const QString &name, int y)
    {
        auto *w = new W(this);
        w->setAccessibleName(name);
        w->setGeometry(10, y, 100, 20);
        return w;
    }

    QWidget *const builtIn; // the parent the applet was built in
    Register bank;
    Variable sa, lock;
    CustomControls::CheckBox *cbSw1 = nullptr;
    CustomControls::LineEdit *leSa = nullptr;
    QStringList commands;
    QVariantList arguments;
    int initCalls = 0, connects = 0;
    bool initResult = true;
    std::function<void()> whileInit; // runs inside init()
};
