// Bank-word reads per second through Pxn::transferBank (request, answer, CRC check, store)
// against plain "get" transactions through ControlBoard, both on the same simulated board with
// two matrix chips in the same run.
#include "benchenv.h"
#include "controlboard.h"
#include "fakeboard.h"
#include "fakematrixbus.h"
#include "pxn.h"
#include "register.h"
#include "simulatedapp.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication application(argc, argv);
    FakeBoard board;
    FakeMatrixBus bus(board);
    bus.addChip(1, 4, 1);
    bus.addChip(7, 4, 2);
    double reads = 0;
    double gets = 0;
    bool clean = false;
    {
        SimulatedApp app(board, {MainApp::appletFactory<Pxn>()});
        if (!app.started())
            return 1; // SimulatedApp said why
        Register bank(QStringLiteral("@register=BENCHBANK;@field=W0[24] @REG=0;"), QString());
        Pxn *pxn = Pxn::instance();
        ControlBoard *link = app.link();
        for (int round = 0; round < SimulatedApp::rounds(); ++round) {
            reads = qMax(reads, SimulatedApp::perSecond(board, 500, [pxn, &bank]() {
                             return pxn->transferBank(bank, 1, 0, true, 0, 1);
                         }));
            gets = qMax(gets, SimulatedApp::perSecond(board, 500, [link]() {
                            QByteArray answer;
                            return link->send("get SER2DATA", &answer);
                        }));
        }
        clean = bus.violations().isEmpty();
    }

    if (!clean)
        QTextStream(stdout) << "the chips saw malformed frames: " << bus.violations().join("; ")
                            << "\n";
    const int status =
        SimulatedApp::report("plain get transactions/s", gets, "transferBank word reads/s", reads,
                             "word reads / plain gets");
    return clean ? status : 1;
}
