#pragma once

// Records what the simulated board hears, action by action, as the text of an approved trace:
// each action as "== what it was", then each line the board received from its start up to the
// start of the next action as "> line" (lines heard before the first action come under
// "== (before the first action)"), so nothing is lost. After an action, settle runs until the
// program has sent everything that action started and the board has read it. Once a test function
// has failed, the rest of its actions are left out. Header only.
#include "approvedtrace.h"
#include "fakeboard.h"

#include <QByteArray>
#include <QString>
#include <QTest>

#include <functional>

class TraceRecorder
{
public:
    TraceRecorder(FakeBoard &board, std::function<void()> settle)
        : m_board(board), m_settle(std::move(settle))
    {
    }

    // Starts a new trace under a heading (comment lines starting with "#").
    void begin(const QByteArray &heading)
    {
        m_text = heading;
        m_actions = m_lines = 0;
    }

    // Runs act as the action named what, waits until it settled and notes what the board heard.
    void step(const QString &what, const std::function<void()> &act)
    {
        step(what, std::function<QString()>([&act]() {
                 act();
                 return QString();
             }));
    }
    // The same for an action with a result, noted after what as "-> result".
    void step(const QString &what, const std::function<QString()> &act)
    {
        if (QTest::currentTestFailed())
            return; // what follows a failed action would not be the script's
        noteHeard();
        const QString result = act();
        m_settle();
        ++m_actions;
        m_text += "== " + what.toUtf8();
        if (!result.isNull())
            m_text += " -> " + result.toUtf8();
        m_text += '\n';
        noteHeard();
    }

    // The recording compared with (or, when approving, written as) the approved copy.
    QString check(const QString &relative)
    {
        noteHeard();
        return ApprovedTrace::check(relative, m_text);
    }

    QByteArray text() const { return m_text; }
    int actions() const { return m_actions; }
    int lines() const { return m_lines; }

private:
    // Appends the lines heard since the last call to the last action's.
    void noteHeard()
    {
        const QList<QByteArray> heard = m_board.takeLines();
        if (!heard.isEmpty() && m_actions == 0)
            m_text += "== (before the first action)\n";
        for (const QByteArray &line : heard)
            m_text += "> " + line + '\n';
        m_lines += int(heard.size());
    }

    FakeBoard &m_board;
    std::function<void()> m_settle;
    QByteArray m_text;
    int m_actions = 0;
    int m_lines = 0;
};
