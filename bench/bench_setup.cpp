// The board page's set-up of a KVL52404 driver board (controller commands, EEPROM detection,
// the driver's chip select and defaults, the page reset) against as many bare transactions
// through ControlBoard as the set-up makes, both on the same simulated board in the same run.
#include "autoaddressing.h"
#include "benchenv.h"
#include "board.h"
#include "controlboard.h"
#include "fakeboard_conf.h"
#include "fakeboard_pwm.h"
#include "fakeboard_spi.h"
#include "fakespieeprom.h"
#include "mainapp.h"
#include "simulatedapp.h"
#include "spieeprom.h"
#include "spiraw.h"
#include "spiraw4b.h"

#include <QApplication>

namespace
{

Board *boardPage()
{
    return qobject_cast<Board *>(
        MainApp::instance()->findApplet(QStringLiteral("Board"), MainApp::ByName));
}

bool sendBare(ControlBoard *link, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!link->send(QByteArrayLiteral("set PWM0DUTY=50"), nullptr))
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
    FakeSpiEeprom eeprom(spi, FakeSpiEeprom::Kvl52404Board);
    FakeBoardConf conf(board);
    FakeBoardPwm pwm(board);
    double setups = 0;
    double bare = 0;
    {
        SimulatedApp app(board,
                         {MainApp::appletFactory<SpiRaw>(), MainApp::appletFactory<SpiEEPROM>(),
                          MainApp::appletFactory<AutoAddressing>(), MainApp::appletFactory<Board>(),
                          MainApp::appletFactory<SpiRaw4B>()});
        Board *page = boardPage();
        if (!app.started())
            return 1; // SimulatedApp said why
        if (!page)
            return env.cannotStart(QStringLiteral("no board page"));
        ControlBoard *link = app.link();
        // One transaction per line the set-up sends.
        board.clearRecords();
        page->setupHardware();
        const int transactions = int(board.lines().size());
        if (transactions < 27)
            return env.failed(
                QStringLiteral("the set-up sent %1 lines, fewer than 27").arg(transactions));
        // The board's ripple rating 47 tells that the detection read the parameter block.
        const auto setup = [page]() {
            page->setupHardware();
            return page->driverRatings().ripple1 == 47;
        };
        for (int round = 0; round < SimulatedApp::rounds(); ++round) {
            setups = qMax(setups, SimulatedApp::perSecond(board, 1, setup));
            bare = qMax(bare, SimulatedApp::perSecond(board, 1, [link, transactions]() {
                            return sendBare(link, transactions);
                        }));
        }
        QTextStream(stdout) << "transactions per set-up:        " << transactions << "\n";
    }
    return SimulatedApp::report("bare transaction runs/s", bare, "KVL52404 set-ups/s", setups,
                                "set-ups / bare runs");
}
