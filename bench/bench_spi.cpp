// 32-bit SPI frames per second through the SPI Raw 4B tool, form bound and set up in the
// application, against bare set/get pairs of the same data text through ControlBoard, both on
// the same simulated board (the KVL52404 on LED chip select 0) in the same run.
#include "benchrounds.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "fakeboard_spi.h"
#include "spiraw4b.h"
#include "variable.h"

#include <QApplication>
#include <QTextStream>

namespace
{

constexpr int RunMs = 700; // one measuring round
constexpr int Rounds = 4;  // rounds per side, interleaved; the best of each counts
const QString Variable32 = QStringLiteral("SPILEDCS0DATA");
const QByteArray ReadWord55 = QByteArrayLiteral("046e000009");

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    FakeBoard board;
    FakeBoardSpi spi(board);
    double tool = 0;
    double bare = 0;
    {
        BenchRounds::Session session(board, []() -> Applet * { return new SpiRaw4B; });
        if (!session.isReady())
            return 1;
        spiRaw4B->set(QStringLiteral("SPIChannel4B"), 0, Variable::InternalKey);
        spiRaw4B->set(QStringLiteral("SpiIn4B[]"), QVariant(0x6E000009u), Variable::InternalKey);
        ControlBoard *link = session.app()->controlBoard();
        for (int round = 0; round < Rounds; ++round) {
            tool = qMax(
                tool, BenchRounds::perSecond(board, RunMs, []() { return spiRaw4B->transfer(); }));
            bare = qMax(bare, BenchRounds::perSecond(board, RunMs, [link]() {
                            QByteArray answer;
                            return link->setValue(Variable32, ReadWord55) &&
                                   link->getValue(Variable32, &answer);
                        }));
        }
    }

    QTextStream out(stdout);
    out << "bare set/get pairs/s:           " << qRound(bare) << "\n";
    out << "SpiRaw4B transfers/s (bound):   " << qRound(tool) << "\n";
    out << "transfers / bare pairs:         "
        << (bare > 0 ? QString::number(tool / bare, 'f', 2) : QStringLiteral("n/a")) << "\n";
    return tool > 0 && bare > 0 ? 0 : 1;
}
