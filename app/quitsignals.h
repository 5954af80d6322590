#pragma once

#include <QObject>

#include <csignal>
#include <iterator>

class LocalServer;
class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into signal_quit on the thread that made this object: the
// handler only writes a byte to a pipe, whose read end a socket notifier watches. So a program
// told to end by the system (a kill, Ctrl+C, a closed terminal or session) ends as its Close
// does, saving its files and removing its socket.
//
// Signals that arrive together count as one: those within TogetherMs of the first, of any kind
// (a closing terminal sends SIGHUP twice in quick succession, `timeout` sends SIGTERM twice).
// A later signal of any kind ends the program at once, as the system's default for it does, so
// that it ends even when it does not get to its event loop or waits for a long command. Once
// the end is done (endDone), every signal is taken and dropped: the program exits next, with
// the end's status. One object at a time; the previous handlers come back when it is destroyed,
// unless the end was done.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    static constexpr int TogetherMs = 500;

    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

    // The server whose new connections the first signal refuses (null: none), whether or not
    // the handlers are in place yet; reset it before the server goes.
    static void refuseConnectionsOf(LocalServer *server);
    // From now on a write to a pipe whose reader has gone (standard error read by a viewer that
    // was closed, by `| head`, by a launcher that let it go) fails instead of ending the program
    // by SIGPIPE. The signal is caught, not ignored: the programs this one starts get its
    // default handling back.
    static void outliveClosedPipes();
    // The program's end is done, its files saved: from now on a signal (a closing terminal's
    // second SIGHUP) changes nothing, nor does its exit status; so it stays after this object.
    void endDone();

signals:
    void signal_quit();

private:
    static void handle(int number);
    void slot_received();

    static constexpr int Caught[] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction m_previous[std::size(Caught)];
    QSocketNotifier *m_notifier = nullptr;
    bool m_endDone = false;
};
