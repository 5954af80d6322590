// Bank-word reads per second through Pxn::transferBank (request, answer, CRC check, store)
// against plain "get" transactions through ControlBoard, both on the same simulated board with
// two matrix chips in the same run.
#include "benchrounds.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "fakematrixbus.h"
#include "pxn.h"
#include "register.h"

#include <QApplication>
#include <QTextStream>

namespace
{

constexpr int RunMs = 700; // one measuring round
constexpr int Rounds = 4;  // rounds per side, interleaved; the best of each counts

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    FakeBoard board;
    FakeMatrixBus bus(board);
    bus.addChip(1, 4, 1);
    bus.addChip(7, 4, 2);
    double reads = 0;
    double gets = 0;
    bool clean = false;
    {
        BenchRounds::Session session(board, []() -> Applet * { return new Pxn; });
        if (!session.isReady())
            return 1;
        Register bank(QStringLiteral("@register=BENCHBANK;@field=W0[24] @REG=0;"), QString());
        Pxn *pxn = Pxn::instance();
        ControlBoard *link = session.app()->controlBoard();
        for (int round = 0; round < Rounds; ++round) {
            reads = qMax(reads, BenchRounds::perSecond(board, RunMs, [pxn, &bank]() {
                             return pxn->transferBank(bank, 1, 0, true, 0, 1);
                         }));
            gets = qMax(gets, BenchRounds::perSecond(board, RunMs, [link]() {
                            QByteArray answer;
                            return link->send("get SER2DATA", &answer);
                        }));
        }
        clean = bus.violations().isEmpty();
    }

    QTextStream out(stdout);
    out << "plain get transactions/s:       " << qRound(gets) << "\n";
    out << "transferBank word reads/s:      " << qRound(reads) << "\n";
    out << "word reads / plain gets:        "
        << (gets > 0 ? QString::number(reads / gets, 'f', 2) : QStringLiteral("n/a")) << "\n";
    if (!clean)
        out << "the chips saw malformed frames: " << bus.violations().join("; ") << "\n";
    return reads > 0 && gets > 0 && clean ? 0 : 1;
}
