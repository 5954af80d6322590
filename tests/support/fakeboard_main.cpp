// Runs the board simulator on a pseudo-terminal until killed, so the program can be tried
// against a simulated board: start it, then connect the program to the printed device path.
#include "fakeboard.h"
#include "fakeboard_flash.h"

#include <QTextStream>

#include <csignal>

int main()
{
    // Block the stop signals before the simulator's thread starts, then wait for one.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    FakeBoard board;
    if (!board.isValid()) {
        QTextStream(stderr) << "fakeboard: cannot open a pseudo-terminal\n";
        return 1;
    }
    FakeBoardFlash flash(board); // answers "set flash=" blocks, so the update window works too
    QTextStream(stdout) << board.devicePath() << Qt::endl;
    int received = 0;
    sigwait(&stopSignals, &received);
    return 0;
}
