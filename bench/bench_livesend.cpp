// Live sending over the simulated board, two sides per figure in the same run:
// - a two-device bank pass (six frames of four words) against twelve single-word frames per
//   device;
// - a live flash pass with its pause hooked off against the bare round trip of its block line.
#include "benchenv.h"
#include "board.h"
#include "boardglobals.h"
#include "configuration.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "fakeboard_flash.h"
#include "fakeboard_playback.h"
#include "fakematrixbus.h"
#include "flashblock.h"
#include "pxn.h"
#include "simulatedapp.h"

#include <QApplication>
#include <QTextStream>

// Reaches the page's matrix and its per-device pass.
struct LiveSendProbe {
    static void setDuties(Board *page, const QVector<int> &duties)
    {
        page->NumberOfDevices = 2;
        page->dutyBySwitch = duties;
    }
    static void sendDeviceRow(Board *page, int d, int address) { page->sendDeviceRow(d, address); }
};

namespace
{

// One device's twelve channel words, each in a frame of its own.
bool singleWordFrames(Board *page, int address)
{
    page->set(QStringLiteral("SA"), address, Variable::InternalKey);
    bool ok = true;
    for (int word = 1; word <= 12; ++word)
        ok = page->writeBankXRegister(word, 1) && ok;
    return ok;
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
    FakeMatrixBus bus(board);
    FakeBoardFlash flash(board);
    FakeBoardPlayback playback(board, bus, flash);
    bus.addChip(1, 4, 1);
    bus.addChip(2, 4, 2);
    Board::setDelayHook([](unsigned) {});
    double pass = 0, single = 0, live = 0, bare = 0;
    bool clean = false;
    {
        SimulatedApp app(board,
                         {MainApp::appletFactory<Pxn>(), MainApp::appletFactory<Configuration>(),
                          MainApp::appletFactory<Board>()});
        if (!app.started())
            return 1; // SimulatedApp said why
        Board *page = qobject_cast<Board *>(
            MainApp::instance()->findApplet(QStringLiteral("Board"), MainApp::ByName));
        QVector<int> duties(24);
        for (int n = 0; n < duties.size(); ++n)
            duties[n] = 45 * n;
        LiveSendProbe::setDuties(page, duties);
        ControlBoard *link = app.link();
        const QByteArray blockLine =
            FlashBlock::line(Board::FlashStartAddress, QByteArray(FlashBlock::BlockSize, '\0'));
        for (int round = 0; round < SimulatedApp::rounds(); ++round) {
            pass = qMax(pass, SimulatedApp::perSecond(board, 50, [page]() {
                            LiveSendProbe::sendDeviceRow(page, 0, 1);
                            LiveSendProbe::sendDeviceRow(page, 1, 2);
                            return true;
                        }));
            single = qMax(single, SimulatedApp::perSecond(board, 50, [page]() {
                              return singleWordFrames(page, 1) && singleWordFrames(page, 2);
                          }));
            live = qMax(live, SimulatedApp::perSecond(board, 200, [page]() {
                            page->sendFWData();
                            return true;
                        }));
            bare = qMax(bare, SimulatedApp::perSecond(board, 200, [link, &blockLine]() {
                            QByteArray answer;
                            return link->send(blockLine, &answer);
                        }));
        }
        clean = bus.violations().isEmpty() && flash.badBlocks() == 0;
    }
    Board::setDelayHook(nullptr);
    if (!clean)
        QTextStream(stdout) << "the simulator saw malformed frames or blocks\n";
    const int first =
        SimulatedApp::report("12 single-word frames/device /s", single, "two-device bank passes/s",
                             pass, "bank pass / single-word frames");
    const int second = SimulatedApp::report("bare block round trips/s", bare, "live flash passes/s",
                                            live, "flash pass / bare round trip");
    return clean && first == 0 && second == 0 ? 0 : 1;
}
