// Memory over long polling through the command socket: each kind of request (sets, gets and
// runs, the KVL52404 map's among them) is sent many times, one connection each as a script
// sends them, to the program connected to the fakeboard tool (a KVL52404 driver board). The
// client runs in a thread of its own while the program's event loop serves and repaints as it
// does for a script. Prints, per kind, the growth per 1,000 requests of the heap in use and of
// the resident set after a warm-up; both should stay about 0.
//
//     bench_requestmemory [requests per kind]   (default 3000)
//     bench_requestmemory --short               (200 per kind: a few seconds)
#include "benchenv.h"
#include "localserver.h"
#include "mainapp.h"
#include "memoryusage.h"
#include "pipename.h"
#include "simulatedapp.h"
#include "socketdir.h"
#include "socketrequest.h"
#include "toolapplets.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <functional>

namespace
{

constexpr int DefaultRequests = 3000;
constexpr int ShortRequests = 200;

// One kind of request; two lines taken in turn, so that a set changes its value each time.
struct RequestKind {
    const char *label;
    QByteArray even;
    QByteArray odd;
};

const QList<RequestKind> &requestKinds()
{
    static const QList<RequestKind> kinds = {
        {"get version", "get\tversion\n", "get\tversion\n"},
        {"get Board.SA", "get\tBoard.SA\n", "get\tBoard.SA\n"},
        {"set Board.SA", "set\tBoard.SA\ti3\n", "set\tBoard.SA\ti4\n"},
        {"set Board.SPI_MAPP404[BUCK1_IAVG]", "set\tBoard.SPI_MAPP404[BUCK1_IAVG]\ti100\n",
         "set\tBoard.SPI_MAPP404[BUCK1_IAVG]\ti101\n"},
        {"run Board.Read s55", "run\tBoard.Read\ts55\n", "run\tBoard.Read\ts55\n"},
        {"run Board.Write s1", "run\tBoard.Write\ts1\n", "run\tBoard.Write\ts1\n"},
        {"run Board.ReadVBOOST", "run\tBoard.ReadVBOOST\n", "run\tBoard.ReadVBOOST\n"},
        {"run Board.Read_REG_0", "run\tBoard.Read_REG_0\n", "run\tBoard.Read_REG_0\n"},
    };
    return kinds;
}

// Growth per 1,000 requests of kind after a warm-up of a quarter as many.
bool measure(const QString &socketPath, const RequestKind &kind, int count, Usage *perThousand,
             QByteArray *lastReply)
{
    if (!requestsFromThread(socketPath, kind.even, kind.odd, qMax(1, count / 4), lastReply))
        return false;
    malloc_trim(0);
    const Usage before = usage();
    if (!requestsFromThread(socketPath, kind.even, kind.odd, count, lastReply))
        return false;
    malloc_trim(0);
    const Usage after = usage();
    perThousand->residentKb = (after.residentKb - before.residentKb) * 1000.0 / count;
    perThousand->heapKb = (after.heapKb - before.heapKb) * 1000.0 / count;
    return true;
}

int requestsPerKind(int argc, char *argv[])
{
    if (BenchEnvironment::isShort())
        return ShortRequests;
    return argc < 2 ? DefaultRequests : qMax(1, QByteArray(argv[1]).toInt());
}

QByteArray printable(const QByteArray &reply)
{
    QByteArray text = reply.left(24);
    text.replace('\n', "\\n");
    text.replace('\t', "\\t");
    return text;
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
    const int count = requestsPerKind(argc, argv);

    QProcess simulator; // its default board carries a KVL52404 driver
    const QString device = env.startSimulator(simulator, QStringLiteral(KVL_FAKEBOARD_PATH));
    if (device.isEmpty())
        return 1;
    int status = 0;
    {
        SimulatedApp app(device, toolAppletFactories());
        if (!app.started())
            return 1; // SimulatedApp said why
        const SocketDir dir; // the socket's address goes through its descriptor
        const QString socketPath =
            dir.address(PipeName::localName(MainApp::instance()->localServer()->pipePath()));
        std::printf("growth per 1,000 requests over %d requests per kind, after %d warm-up "
                    "requests; heap in use / resident set\n",
                    count, qMax(1, count / 4));
        for (const RequestKind &kind : requestKinds()) {
            Usage growth;
            QByteArray reply;
            if (!measure(socketPath, kind, count, &growth, &reply)) {
                status =
                    env.failed(QStringLiteral("a request failed: ") + QLatin1String(kind.label));
                break;
            }
            std::printf("%-36s %+10.1f kB / %+10.1f kB   (reply %s)\n", kind.label, growth.heapKb,
                        growth.residentKb, printable(reply).constData());
            std::fflush(stdout);
        }
    }
    simulator.terminate();
    simulator.waitForFinished(5000);
    return status;
}
