// Runs the board simulator on a pseudo-terminal until killed, so the program can be tried
// against a simulated board: start it, then connect the program to the printed device path.
// --trace prints each line received as "> line" and each answer as "< answer"; --eeprom picks
// the LED-driver board's EEPROM image (kvl52404, kvl52205, blank, or err: its chip select
// refuses every transfer).
#include "fakeboard.h"
#include "fakeboard_flash.h"
#include "fakeboard_spi.h"
#include "fakespieeprom.h"

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
    const QCommandLineOption eepromOption(
        QStringLiteral("eeprom"),
        QStringLiteral(
            "The LED-driver board's EEPROM: kvl52404 (default), kvl52205, blank or err."),
        QStringLiteral("image"), QStringLiteral("kvl52404"));
    parser.addOption(eepromOption);
    QString error;
    if (!parser.parse(QCoreApplication::arguments()))
        error = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        error = QStringLiteral("unexpected argument");
    const QString eeprom = parser.value(eepromOption);
    const bool refuseEeprom = eeprom == QLatin1String("err");
    FakeSpiEeprom::Image image = FakeSpiEeprom::Kvl52404Board;
    if (error.isEmpty() && !refuseEeprom && !FakeSpiEeprom::imageOfName(eeprom, &image))
        error = QStringLiteral("unknown EEPROM image: %1").arg(eeprom);
    if (!error.isEmpty()) {
        QTextStream(stderr) << "fakeboard: " << error << "\n";
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
    FakeSpiEeprom eepromChip(spi, image);
    if (refuseEeprom)
        board.refuse("SPI0CS3DATA");
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
