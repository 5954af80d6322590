// Runs the board simulator on a pseudo-terminal until killed, so the program can be tried
// against a simulated board: start it, then connect the program to the printed device path.
// --trace prints each line received as "> line" and each answer as "< answer".
#include "fakeboard.h"
#include "fakeboard_flash.h"
#include "fakeboard_spi.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv); // names the program in the usage text
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated controller board"));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption traceOption(
        QStringLiteral("trace"), QStringLiteral("Print each line received and each answer."));
    parser.addOption(traceOption);
    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        QTextStream(stderr) << "fakeboard: "
                            << (parser.errorText().isEmpty() ? QStringLiteral("unexpected argument")
                                                             : parser.errorText())
                            << "\n";
        return 2;
    }
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }

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
    FakeBoardSpi spi(board);     // the SPI chip selects with their chips
    QTextStream(stdout) << board.devicePath() << Qt::endl;
    if (parser.isSet(traceOption)) {
        board.setTrace([](const QByteArray &text) {
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        });
    }
    int received = 0;
    sigwait(&stopSignals, &received);
    return 0;
}
