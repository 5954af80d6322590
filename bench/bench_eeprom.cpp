// Reading the LED-driver board's configuration and KVL52404 parameter blocks through the EEPROM
// tool (three block reads each, with their checks and decoding) against the same six set/get
// pairs sent bare through ControlBoard, both on the same simulated board in the same run.
#include "controlboard.h"
#include "fakeboard.h"
#include "fakeboard_spi.h"
#include "fakespieeprom.h"
#include "mainapp.h"
#include "prompt.h"
#include "spieeprom.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace
{

constexpr int RunMs = 700; // one measuring round
constexpr int Rounds = 4;  // rounds per side, interleaved; the best of each counts
const QString DataVariable = QStringLiteral("SPI0CS3DATA");

// The frames of the two readers: length, primary and check copy of each block.
const QList<QByteArray> Frames{
    "0403000000", "12030001" + QByteArray(30, '0'), "120301e1" + QByteArray(30, '0'),
    "0403004000", "23030041" + QByteArray(64, '0'), "23030221" + QByteArray(64, '0')};

// Counts calls of step that succeed within one round; 0 when one fails.
template <typename Step> double perSecond(FakeBoard &board, Step step)
{
    QElapsedTimer timer;
    timer.start();
    long count = 0;
    while (timer.elapsed() < RunMs) {
        if (!step())
            return 0;
        if (++count % 50 == 0)
            board.clearRecords();
    }
    return count / (timer.nsecsElapsed() / 1e9);
}

bool readBoth()
{
    const DeviceConfig config = spiEEPROM->readDeviceConfig();
    spiEEPROM->readDeviceParamsP404(config);
    return config.chipCode == 12 && spiEEPROM->driverParams.valid;
}

bool sendBare(ControlBoard *link)
{
    for (const QByteArray &frame : Frames) {
        QByteArray answer;
        if (!link->setValue(DataVariable, frame) || !link->getValue(DataVariable, &answer))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // The application writes its options and state files to the working directory.
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        return 1;
    DefaultPrompt prompt;
    Prompt::install(&prompt);
    FakeBoard board;
    FakeBoardSpi spi(board);
    FakeSpiEeprom eeprom(spi);
    MainApp *app = MainApp::instance();
    app->setAppletFactories({[]() -> Applet * { return new SpiEEPROM; }});
    if (!app->init())
        return 1;
    app->start();
    if (!app->connectBoard(board.devicePath())) {
        QTextStream(stderr) << "cannot connect to the simulator\n";
        return 1;
    }
    ControlBoard *link = app->controlBoard();

    double tool = 0;
    double bare = 0;
    for (int round = 0; round < Rounds; ++round) {
        tool = qMax(tool, perSecond(board, readBoth));
        bare = qMax(bare, perSecond(board, [link]() { return sendBare(link); }));
    }
    app->shutdown();
    Prompt::install(nullptr);
    QDir::setCurrent(QDir::rootPath());

    QTextStream out(stdout);
    out << "bare twelve lines/s:            " << qRound(bare) << "\n";
    out << "config + KVL52404 reads/s:      " << qRound(tool) << "\n";
    out << "reads / bare lines:             "
        << (bare > 0 ? QString::number(tool / bare, 'f', 2) : QStringLiteral("n/a")) << "\n";
    return tool > 0 && bare > 0 ? 0 : 1;
}
