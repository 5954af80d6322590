// 32-bit SPI frames per second through the SPI Raw 4B tool, form bound and set up in the
// application, against bare set/get pairs of the same data text through ControlBoard, both on
// the same simulated board (the KVL52404 on LED chip select 0) in the same run.
#include "controlboard.h"
#include "fakeboard.h"
#include "fakeboard_spi.h"
#include "mainapp.h"
#include "prompt.h"
#include "spiraw4b.h"
#include "variable.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

namespace
{

constexpr int RunMs = 700; // one measuring round
constexpr int Rounds = 4;  // rounds per side, interleaved; the best of each counts
const QString Variable32 = QStringLiteral("SPILEDCS0DATA");
const QByteArray ReadWord55 = QByteArrayLiteral("046e000009");

// Counts calls of step that succeed within one round; 0 when one fails.
template <typename Step> double perSecond(FakeBoard &board, Step step)
{
    QElapsedTimer timer;
    timer.start();
    long count = 0;
    while (timer.elapsed() < RunMs) {
        if (!step())
            return 0;
        if (++count % 500 == 0)
            board.clearRecords();
    }
    return count / (timer.nsecsElapsed() / 1e9);
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
    MainApp *app = MainApp::instance();
    app->setAppletFactories({[]() -> Applet * { return new SpiRaw4B; }});
    if (!app->init())
        return 1;
    app->start();
    if (!app->connectBoard(board.devicePath())) {
        QTextStream(stderr) << "cannot connect to the simulator\n";
        return 1;
    }
    spiRaw4B->set(QStringLiteral("SPIChannel4B"), 0, Variable::InternalKey);
    spiRaw4B->set(QStringLiteral("SpiIn4B[]"), QVariant(0x6E000009u), Variable::InternalKey);
    ControlBoard *link = app->controlBoard();

    double tool = 0;
    double bare = 0;
    for (int round = 0; round < Rounds; ++round) {
        tool = qMax(tool, perSecond(board, []() { return spiRaw4B->transfer(); }));
        bare = qMax(bare, perSecond(board, [link]() {
                        QByteArray answer;
                        return link->setValue(Variable32, ReadWord55) &&
                               link->getValue(Variable32, &answer);
                    }));
    }
    app->shutdown();
    Prompt::install(nullptr);
    QDir::setCurrent(QDir::rootPath());

    QTextStream out(stdout);
    out << "bare set/get pairs/s:           " << qRound(bare) << "\n";
    out << "SpiRaw4B transfers/s (bound):   " << qRound(tool) << "\n";
    out << "transfers / bare pairs:         "
        << (bare > 0 ? QString::number(tool / bare, 'f', 2) : QStringLiteral("n/a")) << "\n";
    return tool > 0 && bare > 0 ? 0 : 1;
}
