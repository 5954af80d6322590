// Soak of "page and board agree after any sequence of actions": many more seeded sequences
// than the test runs, on a KVL52205 and on a KVL52404 driver board, with the rate of actions
// set against bare transactions on the same simulated board. A difference ends the run with
// its seed and the shortest action list found (exit 1).
//
//     ./build/bench/bench_agreement [--short] [sequences per driver board, 2000 by default,
//                                              2 in the short mode]
#include "benchenv.h"
#include "controlboard.h"
#include "pageagreement.h"
#include "simulatedapp.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

namespace
{

constexpr int Actions = 30;
constexpr quint64 FirstSeed = 10000000; // apart from the seeds of the test

// Runs sequences of actions per driver board; the actions run per second, 0 after printing a
// difference.
double soak(PageAgreement &agreement, int sequences)
{
    QElapsedTimer timer;
    timer.start();
    long actions = 0;
    for (const FakeSpiEeprom::Image driver :
         {FakeSpiEeprom::Kvl52205Board, FakeSpiEeprom::Kvl52404Board}) {
        agreement.selectDriver(driver);
        QStringList differences;
        if (agreement.run({}, &differences) >= 0) {
            std::fprintf(stderr, "after connecting: %s\n", qPrintable(differences.join(", ")));
            return 0;
        }
        QList<QList<PageAction>> done;
        for (int s = 0; s < sequences; ++s) {
            const quint64 seed = FirstSeed + quint64(driver) * 1000000 + quint64(s);
            done.append(agreement.draw(seed, Actions));
            actions += Actions;
            const int at = agreement.runOn(done.last(), &differences);
            if (at < 0)
                continue;
            const QString seen = differences.join(", ");
            const QList<PageAction> shortest = agreement.reproduce(done);
            agreement.run(shortest, &differences);
            std::fprintf(stderr,
                         "seed %llu (action %d: %s)\n   from a connection: %s\n"
                         "   differences: %s\n",
                         seed, at, qPrintable(seen), qPrintable(PageAgreement::describe(shortest)),
                         qPrintable(differences.join(", ")));
            return 0;
        }
    }
    return actions / (timer.nsecsElapsed() / 1e9);
}

} // namespace

int main(int argc, char *argv[])
{
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    if (!qEnvironmentVariableIsSet("KVL_SOURCE_DIR"))
        qputenv("KVL_SOURCE_DIR", KVL_SOURCE_DIR_PATH); // where the shipped configuration is
    if (!QDir::setCurrent(env.tempPath()))
        return env.cannotStart(QStringLiteral("no working directory"));
    QApplication application(argc, argv);
    const int sequences = argc > 1 ? QByteArray(argv[1]).toInt() : BenchEnvironment::pick(2000, 2);
    if (sequences <= 0)
        return env.cannotStart(QStringLiteral("the number of sequences is no positive number"));
    double bare = 0;
    double rate = 0;
    {
        PageAgreement agreement;
        if (!agreement.start())
            return env.cannotStart(QStringLiteral("the program did not start"));
        ControlBoard *link = agreement.f.app->controlBoard();
        for (int round = 0; round < SimulatedApp::rounds(); ++round)
            bare = qMax(bare, SimulatedApp::perSecond(agreement.f.board, 100, [link]() {
                            return link->send(QByteArrayLiteral("set PWM0DUTY=50"), nullptr);
                        }));
        rate = soak(agreement, sequences);
        if (rate > 0)
            QTextStream(stdout) << "sequences of " << Actions << " actions:       " << 2 * sequences
                                << ", no difference\n";
    }
    return SimulatedApp::report("bare transactions/s", bare, "actions compared/s", rate,
                                "actions / bare transactions");
}
