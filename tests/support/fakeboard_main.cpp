// Runs the board simulator on a pseudo-terminal until killed, so the program can be tried
// against a simulated board: start it, then connect the program to the printed device path.
// --trace prints each line received as "> line" and each answer as "< answer".
// The matrix bus carries two chips at addresses 1 and 7 in normal mode, powered by outputs 1
// and 2 of the KVL52205; --unaddressed N puts N chips at address 0 in OTP configuration mode
// instead (outputs 1, 2, 1, ...); --chips none leaves the bus empty. --eeprom picks the
// LED-driver board's EEPROM image (kvl52404, kvl52205, kvl52404buck, unsupported, blank, or
// err: its chip select refuses every transfer). Map frames ("set P110MAPENAREG=") reach the
// chips; "set p110animation=" checks the animation image in the flash.
#include "simulatedboard.h"

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
    const QCommandLineOption chipsOption(QStringLiteral("chips"),
                                         QStringLiteral("\"none\": no chips on the matrix bus."),
                                         QStringLiteral("none"));
    parser.addOption(chipsOption);
    const QCommandLineOption unaddressedOption(
        QStringLiteral("unaddressed"),
        QStringLiteral("N chips at address 0 awaiting automatic addressing."), QStringLiteral("N"));
    parser.addOption(unaddressedOption);
    const QCommandLineOption eepromOption(
        QStringLiteral("eeprom"),
        QStringLiteral(
            "The LED-driver board's EEPROM: kvl52404 (default), kvl52205, kvl52404buck, "
            "unsupported, blank or err."),
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
    bool countOk = true;
    const int unaddressed =
        parser.isSet(unaddressedOption) ? parser.value(unaddressedOption).toInt(&countOk) : 0;
    if ((parser.isSet(chipsOption) && parser.value(chipsOption) != QLatin1String("none")) ||
        !countOk || unaddressed < 0 || unaddressed > 32) {
        QTextStream(stderr) << "fakeboard: --chips takes \"none\", --unaddressed 0 to 32\n";
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

    SimulatedBoard simulated(image);
    FakeBoard &board = simulated.board;
    if (!board.isValid()) {
        QTextStream(stderr) << "fakeboard: cannot open a pseudo-terminal\n";
        return 1;
    }
    if (parser.isSet(unaddressedOption)) {
        for (int k = 0; k < unaddressed; ++k)
            simulated.bus.addChip(0, 1, k % 2 + 1);
    } else if (!parser.isSet(chipsOption)) {
        simulated.addDefaultChips();
    }
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
