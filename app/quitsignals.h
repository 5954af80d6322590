#pragma once

#include <QObject>

#include <csignal>
#include <iterator>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into signal_quit on the thread that made this object: the
// handler only writes a byte to a pipe, whose read end a socket notifier watches. So a program
// told to end by the system (a kill, Ctrl+C, a closed terminal or session) ends as its Close
// does, saving its files and removing its socket. Each handler takes one signal and then hands
// its kind back to the system's default, so a second one ends a program that no longer gets to
// its event loop at once, as without this object. One object at a time; the previous handlers
// come back when it is destroyed.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

signals:
    void signal_quit();

private:
    static void handle(int number);
    void slot_received();

    static constexpr int Caught[] = {SIGTERM, SIGINT, SIGHUP};
    struct sigaction m_previous[std::size(Caught)];
    QSocketNotifier *m_notifier = nullptr;
};
