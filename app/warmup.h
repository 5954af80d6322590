#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class Applet;
class AppletTable;

// While the program waits for its user after the start, does ahead of time what a connection or
// a tool window's first show would otherwise do while the person waits: builds the applets that
// wait to be built, then polishes each hidden tool window and measures its form (the sizes its
// widgets and layouts keep until they change), one step at a time. A step runs only
// while the program is idle (the idle test says so); the event loop runs between steps, so a
// request or a person's input waits for one step at most.
class WarmUp : public QObject
{
    Q_OBJECT
public:
    WarmUp(AppletTable *table, std::function<bool()> idle, QObject *parent = nullptr);

    // The first step follows after FirstStepMs: the requests and the port probe of a start
    // come first.
    void start();
    // No step follows (the program ends).
    void stop();
    bool isDone() const { return m_done; }

    static constexpr int FirstStepMs = 100;
    static constexpr int StepGapMs = 10;
    // How soon a step that found the program busy looks again.
    static constexpr int BusyRetryMs = 100;

signals:
    void signal_done();

private:
    void step();
    bool polishNext();
    bool measurePolished();

    AppletTable *m_table;
    std::function<bool()> m_idle;
    QTimer m_timer;
    int m_nextPolish = 1;        // the table entry to look at next for polishing
    QPointer<Applet> m_polished; // polished by the last step, to be measured next
    bool m_done = false;
};
