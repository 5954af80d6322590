// Memory over long use of the board page: rounds of a matrix configuration load, the patterns
// allOn, Pattern1 and allOff and two toggles of Board.BUCK1[EN] (the calls the command socket
// makes), beside rounds of as many bare link writes as a page round makes, in the same run.
// The simulator is the fakeboard tool in a child process, so its records do not count here.
// Prints the growth per round of the resident set and of the heap in use; both should stay
// about 0 once the first rounds have filled the caches.
//
//     bench_memory [--short] [rounds]        (default 1000, in the short mode 3)
#include "benchenv.h"
#include "memoryusage.h"
#include "board.h"
#include "controlboard.h"
#include "mainapp.h"
#include "simulatedapp.h"
#include "toolapplets.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTextStream>

#include <atomic>
#include <cstdio>
#include <functional>


namespace
{

int warmUpRounds()
{
    return BenchEnvironment::pick(50, 2);
}
const QString MatrixFile = QStringLiteral("matrix24.txt");

// What the event loop does between two socket requests: queued calls and deferred deletes.
void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Calls round count times, each followed by what the event loop would do; false when one fails.
bool runRounds(int count, const std::function<bool()> &round)
{
    for (int i = 0; i < count; ++i) {
        if (!round())
            return false;
        settle();
    }
    return true;
}

// Growth per round in kB over rounds calls of round, after the warm-up; the resident set with
// the heap's free pages handed back, so only what stays allocated counts.
bool measure(int rounds, const std::function<bool()> &round, Usage *perRound)
{
    if (!runRounds(warmUpRounds(), round))
        return false;
    malloc_trim(0);
    const Usage before = usage();
    if (!runRounds(rounds, round))
        return false;
    malloc_trim(0);
    const Usage after = usage();
    perRound->residentKb = (after.residentKb - before.residentKb) / rounds;
    perRound->heapKb = (after.heapKb - before.heapKb) / rounds;
    return true;
}

// The configuration load is the page's own call (its button opens a file dialog first); the
// rest are the socket's requests.
bool pageRound(MainApp *app, Board *page)
{
    page->loadConfiguration(MatrixFile);
    QVariant none = QVariantList(); // no arguments, as the socket passes them
    QVariant result;
    bool ok = true;
    for (const char *pattern : {"Board.allOn", "Board.Pattern1", "Board.allOff"})
        ok &= app->run(QLatin1String(pattern), none, &result);
    for (int on : {1, 0}) {
        QVariant value = on;
        ok &= app->set(QStringLiteral("Board.BUCK1[EN]"), value);
    }
    return ok;
}

bool bareRound(ControlBoard *link, int writes)
{
    for (int i = 0; i < writes; ++i) {
        if (!link->send(QByteArrayLiteral("set PWM0DUTY=50"), nullptr))
            return false;
    }
    return true;
}

QString kb(double value)
{
    return (value >= 0 ? QStringLiteral("+") : QString()) + QString::number(value, 'f', 2) +
           QStringLiteral(" kB");
}

void report(int rounds, int writes, const Usage &bare, const Usage &page)
{
    QTextStream out(stdout);
    const int width = 44;
    out << "growth per round over " << rounds << " rounds, after " << warmUpRounds()
        << " warm-up rounds\n";
    out << QStringLiteral("link writes per page round:").leftJustified(width) << writes << "\n";
    out << QStringLiteral("bare link writes, resident / heap:").leftJustified(width)
        << kb(bare.residentKb) << " / " << kb(bare.heapKb) << "\n";
    out << QStringLiteral("page round, resident / heap:").leftJustified(width)
        << kb(page.residentKb) << " / " << kb(page.heapKb) << "\n";
    out << QStringLiteral("page beyond bare, resident / heap:").leftJustified(width)
        << kb(page.residentKb - bare.residentKb) << " / " << kb(page.heapKb - bare.heapKb) << "\n";
}

} // namespace

int main(int argc, char *argv[])
{
    // The program's socket and files go to a directory of our own.
    BenchEnvironment env(argc, argv);
    if (const int code = env.checkStart())
        return code;
    qputenv("KVL_PROMPT_DEFAULTS", "1");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication application(argc, argv);
    MainApp::applyStyleSheet(); // as the program does: every widget is style-sheet styled
    const int rounds =
        argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : BenchEnvironment::pick(1000, 3);

    QProcess simulator;
    const QString device = env.startSimulator(simulator, QStringLiteral(KVL_FAKEBOARD_PATH));
    if (device.isEmpty())
        return 1;
    int status = 1;
    {
        SimulatedApp app(device, toolAppletFactories());
        MainApp *main = MainApp::instance();
        ControlBoard *link = app.link();
        auto *page =
            qobject_cast<Board *>(main->findApplet(QStringLiteral("Board"), MainApp::ByName));
        if (!app.started())
            return 1; // SimulatedApp said why
        if (!page || !SimulatedApp::writeMatrix24(MatrixFile))
            return env.cannotStart(QStringLiteral("no board page, or its configuration file "
                                                  "could not be written"));
        std::atomic<int> writes{0};
        const QMetaObject::Connection counting = QObject::connect(
            link, &ControlBoard::signal_tx, link, [&writes]() { ++writes; }, Qt::DirectConnection);
        if (!pageRound(main, page))
            return env.failed(QStringLiteral("the first round of board-page use failed"));
        QObject::disconnect(counting);
        const int perRound = writes.load();

        Usage bare;
        Usage growth;
        const auto bareStep = [link, perRound]() { return bareRound(link, perRound); };
        const auto pageStep = [main, page]() { return pageRound(main, page); };
        if (measure(rounds, bareStep, &bare) && measure(rounds, pageStep, &growth)) {
            report(rounds, perRound, bare, growth);
            status = 0;
        } else {
            status = env.failed(QStringLiteral("a measured round failed"));
        }
    }
    simulator.terminate();
    simulator.waitForFinished(5000);
    return status;
}
