// Reading the LED-driver board's configuration and KVL52404 parameter blocks through the EEPROM
// tool (three block reads each, with their checks and decoding) against the same six set/get
// pairs sent bare through ControlBoard, both on the same simulated board in the same run.
#include "benchenv.h"
#include "controlboard.h"
#include "fakeboard_spi.h"
#include "fakespieeprom.h"
#include "simulatedapp.h"
#include "spieeprom.h"

#include <QApplication>

namespace
{

const QString DataVariable = QStringLiteral("SPI0CS3DATA");

// The frames of the two readers: length, primary and check copy of each block.
const QList<QByteArray> Frames{
    "0403000000", "12030001" + QByteArray(30, '0'), "120301e1" + QByteArray(30, '0'),
    "0403004000", "23030041" + QByteArray(64, '0'), "23030221" + QByteArray(64, '0')};

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
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication application(argc, argv);
    FakeBoard board;
    FakeBoardSpi spi(board);
    FakeSpiEeprom eeprom(spi);
    double tool = 0;
    double bare = 0;
    {
        SimulatedApp app(board, {MainApp::appletFactory<SpiEEPROM>()});
        if (!app.started())
            return 1; // SimulatedApp said why
        ControlBoard *link = app.link();
        for (int round = 0; round < SimulatedApp::rounds(); ++round) {
            tool = qMax(tool, SimulatedApp::perSecond(board, 50, readBoth));
            bare =
                qMax(bare, SimulatedApp::perSecond(board, 50, [link]() { return sendBare(link); }));
        }
    }
    return SimulatedApp::report("bare twelve lines/s", bare, "config + KVL52404 reads/s", tool,
                                "reads / bare lines");
}
