// 32-bit SPI frames per second through the SPI Raw 4B tool, form bound and set up in the
// application, against bare set/get pairs of the same data text through ControlBoard, both on
// the same simulated board (the KVL52404 on LED chip select 0) in the same run.
#include "benchenv.h"
#include "controlboard.h"
#include "fakeboard_spi.h"
#include "simulatedapp.h"
#include "spiraw4b.h"
#include "variable.h"

#include <QApplication>

namespace
{

const QString Variable32 = QStringLiteral("SPILEDCS0DATA");
const QByteArray ReadWord55 = QByteArrayLiteral("046e000009");

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
    double tool = 0;
    double bare = 0;
    {
        SimulatedApp app(board, {MainApp::appletFactory<SpiRaw4B>()});
        if (!app.started())
            return 1; // SimulatedApp said why
        spiRaw4B->set(QStringLiteral("SPIChannel4B"), 0, Variable::InternalKey);
        spiRaw4B->set(QStringLiteral("SpiIn4B[]"), QVariant(0x6E000009u), Variable::InternalKey);
        ControlBoard *link = app.link();
        for (int round = 0; round < SimulatedApp::rounds(); ++round) {
            tool = qMax(tool,
                        SimulatedApp::perSecond(board, 500, []() { return spiRaw4B->transfer(); }));
            bare = qMax(bare, SimulatedApp::perSecond(board, 500, [link]() {
                            QByteArray answer;
                            return link->setValue(Variable32, ReadWord55) &&
                                   link->getValue(Variable32, &answer);
                        }));
        }
    }
    return SimulatedApp::report("bare set/get pairs/s", bare, "SpiRaw4B transfers/s (bound)", tool,
                                "transfers / bare pairs");
}
