#pragma once

// A real session manager for tests of the program's part in a desktop session (header only):
// xsm (x11-session-utils) on an X server of the test's, with a home folder of its own, whose
// start-up file hands out the address its clients connect to; its window's "Checkpoint" and
// "Shutdown" are clicked as a person clicks them (xdotool), and the session named in its dialog.
// While it runs, the programs a test starts join its session (SESSION_MANAGER and ICEAUTHORITY
// are set for them).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>

class XsmSession
{
public:
    ~XsmSession()
    {
        if (m_xsm.state() != QProcess::NotRunning) {
            m_xsm.kill();
            m_xsm.waitForFinished();
        }
        qunsetenv("SESSION_MANAGER");
        qunsetenv("ICEAUTHORITY");
    }

    // Starts xsm on display with home as its home folder (made here); false when a tool is
    // missing, or xsm does not hand out its address and show its window within waitMs.
    bool start(const QString &display, const QString &home, int waitMs)
    {
        for (const char *tool : {"xsm", "iceauth", "xdotool", "xwininfo"}) {
            if (QStandardPaths::findExecutable(tool).isEmpty())
                return false;
        }
        m_display = display;
        m_waitMs = waitMs;
        const QString address = home + "/address";
        QFile startup(home + "/.xsmstartup"); // the session's first client only tells the address
        if (!QDir().mkpath(home) || !startup.open(QIODevice::WriteOnly) ||
            startup.write("sh -c 'echo \"$SESSION_MANAGER\" > " + QFile::encodeName(address) +
                          "'\n") < 0)
            return false;
        startup.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home);
        env.insert("ICEAUTHORITY", home + "/.ICEauthority"); // where iceauth writes the keys
        env.insert("DISPLAY", display);
        m_xsm.setProcessEnvironment(env);
        m_xsm.setStandardOutputFile(home + "/xsm.log");
        m_xsm.setStandardErrorFile(home + "/xsm.log", QIODevice::Append);
        m_xsm.start(QStandardPaths::findExecutable("xsm"), {});
        QByteArray told;
        if (!QTest::qWaitFor(
                [&]() {
                    QFile file(address);
                    return file.open(QIODevice::ReadOnly) && !(told = file.readAll()).isEmpty();
                },
                waitMs))
            return false;
        qputenv("SESSION_MANAGER", told.trimmed());
        qputenv("ICEAUTHORITY", QFile::encodeName(home + "/.ICEauthority"));
        return QTest::qWaitFor([this]() { return buttons().size() == 4; }, waitMs);
    }

    // "Checkpoint": the session named in its dialog, confirmed with Return (its default).
    bool checkpoint(const QString &name)
    {
        const QByteArray button = buttons().value(CheckpointButton);
        return !button.isEmpty() &&
               xdotool({"windowraise", visible("xsm"), "mousemove", "--window", button, "10", "10",
                        "click", "1"}) &&
               confirm(name);
    }

    // "Shutdown", "With Checkpoint": the session named and confirmed; its clients are then
    // told to die.
    bool shutDownWithCheckpoint(const QString &name)
    {
        // A menu button: its menu opens at the press and takes the entry under the release.
        const QByteArray button = buttons().value(ShutdownButton);
        const QByteArray before = children({"-root"}).value(0).first; // the topmost window
        if (button.isEmpty() || !xdotool({"windowraise", visible("xsm"), "mousemove", "--window",
                                          button, "10", "10", "mousedown", "1"}))
            return false;
        QPair<QByteArray, QRect> menu;
        if (!QTest::qWaitFor(
                [&]() { return (menu = children({"-root"}).value(0)).first != before; }, m_waitMs))
            return false;
        const int firstEntry = menu.second.height() / 4; // "With Checkpoint", "Immediately"
        return xdotool({"mousemove", "--window", menu.first, "10", QByteArray::number(firstEntry),
                        "mouseup", "1"}) &&
               confirm(name);
    }

private:
    enum { ClientListButton, LogButton, CheckpointButton, ShutdownButton };

    bool xdotool(const QList<QByteArray> &arguments) const { return run("xdotool", arguments); }

    bool run(const char *tool, const QList<QByteArray> &arguments, QByteArray *out = nullptr) const
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        process.setProcessEnvironment(env);
        QStringList texts;
        for (const QByteArray &argument : arguments)
            texts << QString::fromLatin1(argument);
        process.start(QStandardPaths::findExecutable(tool), texts);
        const bool ran = process.waitForFinished(m_waitMs) && process.exitCode() == 0;
        if (out)
            *out = process.readAllStandardOutput();
        return ran;
    }

    // The shown window of xsm's of that name (its main window "xsm", a dialog), or none.
    QByteArray visible(const QByteArray &name) const
    {
        QByteArray found;
        run("xdotool", {"search", "--onlyvisible", "--classname", "^" + name + "$"}, &found);
        return found.split('\n').value(0).trimmed();
    }

    // The child windows of a window ({"-id", ID}, or the screen's, {"-root"}) with their places
    // in it, the topmost first.
    QList<QPair<QByteArray, QRect>> children(const QList<QByteArray> &window) const
    {
        QByteArray info;
        run("xwininfo", QList<QByteArray>{"-children"} + window, &info);
        static const QRegularExpression child(
            "^\\s+(0x[0-9a-f]+) .*\\)\\s+(\\d+)x(\\d+)\\+(-?\\d+)\\+(-?\\d+)",
            QRegularExpression::MultilineOption);
        QList<QPair<QByteArray, QRect>> found;
        for (const QRegularExpressionMatch &m : child.globalMatch(QString::fromLatin1(info)))
            found.append(
                {m.captured(1).toLatin1(), QRect(m.captured(4).toInt(), m.captured(5).toInt(),
                                                 m.captured(2).toInt(), m.captured(3).toInt())});
        return found;
    }

    // The controls of a dialog or window of xsm's, the children of its one form, in reading
    // order (top to bottom, left to right).
    QList<QByteArray> controls(const QByteArray &shell) const
    {
        const QList<QPair<QByteArray, QRect>> form = children({"-id", shell});
        QList<QPair<QByteArray, QRect>> found =
            form.isEmpty() ? form : children({"-id", form.first().first});
        std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
            return std::make_pair(a.second.y(), a.second.x()) <
                   std::make_pair(b.second.y(), b.second.x());
        });
        QList<QByteArray> ids;
        for (const auto &control : found)
            ids.append(control.first);
        return ids;
    }

    // Client List, Session Log, Checkpoint and Shutdown, as the main window places them.
    QList<QByteArray> buttons() const
    {
        const QByteArray window = visible("xsm");
        return window.isEmpty() ? QList<QByteArray>() : controls(window);
    }

    // The save dialog: the session's name typed into its field (the second control, after its
    // label), then Return, which takes the dialog's default button.
    bool confirm(const QString &name)
    {
        QByteArray dialog;
        if (!QTest::qWaitFor([&]() { return !(dialog = visible("savePopup")).isEmpty(); },
                             m_waitMs))
            return false;
        const QByteArray field = controls(dialog).value(1);
        // With no window manager, the keyboard stays where a program last put it (the program's
        // main window takes it at the end of its start): the dialog is given it first.
        return !field.isEmpty() && xdotool({"windowfocus", "--sync", dialog}) &&
               xdotool({"mousemove", "--window", field, "10", "10", "click", "1"}) &&
               xdotool({"type", "--delay", "20", name.toLatin1()}) && xdotool({"key", "Return"});
    }

    QProcess m_xsm;
    QString m_display;
    int m_waitMs = 60000;
};
