// Bank-word reads per second through Pxn::transferBank (request, answer, CRC check, store)
// against plain "get" transactions through ControlBoard, both on the same simulated board with
// two matrix chips in the same run.
#include "benchrounds.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "fakematrixbus.h"
#include "mainapp.h"
#include "prompt.h"
#include "pxn.h"
#include "register.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
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
    // The application writes its options and state files to the working directory.
    QTemporaryDir work;
    if (!work.isValid() || !QDir::setCurrent(work.path()))
        return 1;
    DefaultPrompt prompt;
    Prompt::install(&prompt);
    FakeBoard board;
    FakeMatrixBus bus(board);
    bus.addChip(1, 4, 1);
    bus.addChip(7, 4, 2);
    MainApp *app = MainApp::instance();
    app->setAppletFactories({[]() -> Applet * { return new Pxn; }});
    if (!app->init())
        return 1;
    app->start();
    if (!app->connectBoard(board.devicePath())) {
        QTextStream(stderr) << "cannot connect to the simulator\n";
        return 1;
    }
    Register bank(QStringLiteral("@register=BENCHBANK;@field=W0[24] @REG=0;"), QString());
    Pxn *pxn = Pxn::instance();
    ControlBoard *link = app->controlBoard();

    double reads = 0;
    double gets = 0;
    for (int round = 0; round < Rounds; ++round) {
        reads = qMax(reads, BenchRounds::perSecond(board, RunMs, [pxn, &bank]() {
                         return pxn->transferBank(bank, 1, 0, true, 0, 1);
                     }));
        gets = qMax(gets, BenchRounds::perSecond(board, RunMs, [link]() {
                        QByteArray answer;
                        return link->send("get SER2DATA", &answer);
                    }));
    }
    const bool clean = bus.violations().isEmpty();
    app->shutdown();
    Prompt::install(nullptr);
    QDir::setCurrent(QDir::rootPath());

    QTextStream out(stdout);
    out << "plain get transactions/s:       " << qRound(gets) << "\n";
    out << "transferBank word reads/s:      " << qRound(reads) << "\n";
    out << "word reads / plain gets:        "
        << (gets > 0 ? QString::number(reads / gets, 'f', 2) : QStringLiteral("n/a")) << "\n";
    if (!clean)
        out << "the chips saw malformed frames: " << bus.violations().join("; ") << "\n";
    return reads > 0 && gets > 0 && clean ? 0 : 1;
}
