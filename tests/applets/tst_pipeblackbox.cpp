// The program's command pipe seen from outside: the real program runs as a separate process
// (offscreen, every prompt answered by its default through KVL_PROMPT_DEFAULTS=1) and a client
// written here talks to its local socket "KVL52110" in the temporary directory. The cases check
// the exact reply bytes of the pipe protocol, the batch rules, the batch size limit, a second
// instance and a socket left behind by a killed instance.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

const QString ServerName = QStringLiteral("KVL52110");
const QByteArray VersionReply = QByteArrayLiteral("sWed Jan 08 12:43:22 2019");
const QByteArray Ok = QByteArrayLiteral("ok\n");
const QByteArray Err = QByteArrayLiteral("err\n");
const qsizetype MaxBatchBytes = 1024 * 1024;

// Wide margins: the program under test runs with the sanitizers, possibly on a loaded machine.
const int StartWaitMs = 90000;
const int ReplyWaitMs = 30000;
const int ExitWaitMs = 60000;
// A pause inside a line, well below the second the server gives a batch to complete.
const int PartPauseMs = 150;

QString programPath()
{
#ifdef KVL_PROGRAM_PATH
    return QStringLiteral(KVL_PROGRAM_PATH);
#else
    // The program target's place in the build tree: app/ beside tests/applets/.
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../../app/kvl52110"));
#endif
}

QString socketFile()
{
    return QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + ServerName;
}

bool isSocket(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// A mock-up answer as a typed value text: "x" and the bytes in lower-case hexadecimal.
QByteArray typedBytes(const QByteArray &bytes)
{
    return QByteArrayLiteral("x") + bytes.toHex();
}

struct Exchange {
    bool connected = false;
    bool closed = false; // the program closed the connection
    QByteArray reply;
};

// One connection: the batch is written in parts with a pause after each but the last, then
// everything the program sends back is collected until it closes the connection.
Exchange exchange(const QList<QByteArray> &parts)
{
    Exchange result;
    QLocalSocket socket;
    QObject::connect(&socket, &QLocalSocket::readyRead, [&result, &socket]() {
        if (socket.isOpen())
            result.reply += socket.readAll();
    });
    socket.connectToServer(ServerName);
    if (!socket.waitForConnected(ReplyWaitMs))
        return result;
    result.connected = true;
    for (int i = 0; i < parts.size(); ++i) {
        socket.write(parts.at(i));
        socket.flush();
        if (i + 1 < parts.size())
            QTest::qWait(PartPauseMs);
    }
    result.closed = QTest::qWaitFor(
        [&socket]() { return socket.state() == QLocalSocket::UnconnectedState; }, ReplyWaitMs);
    if (socket.isOpen())
        result.reply += socket.readAll();
    return result;
}

Exchange exchange(const QByteArray &batch)
{
    return exchange(QList<QByteArray>{batch});
}

// A client on a plain socket, for batches the program stops reading: it closes the connection
// as soon as it has a reply, while the client may still be writing. A plain socket still reads
// the reply queued before that close, where QLocalSocket drops its read buffer when a write
// fails.
class PlainClient
{
public:
    PlainClient()
    {
        const QByteArray path = QFile::encodeName(socketFile());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (size_t(path.size()) >= sizeof(address.sun_path))
            return;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0)
            return;
        timeval sendWait{ReplyWaitMs / 1000, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &sendWait, sizeof(sendWait));
        m_connected =
            ::connect(m_fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) == 0;
    }
    ~PlainClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PlainClient(const PlainClient &) = delete;
    PlainClient &operator=(const PlainClient &) = delete;

    bool connected() const { return m_connected; }

    // Sends bytes until all are sent or the program has closed the connection.
    void send(const QByteArray &bytes)
    {
        qsizetype sent = 0;
        while (m_connected && sent < bytes.size()) {
            const ssize_t n =
                ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return;
            sent += n;
        }
    }

    // Reads into reply until the program closes the connection (true), or, with untilClosed
    // false, until some bytes have come.
    bool read(QByteArray *reply, bool untilClosed = true)
    {
        QDeadlineTimer deadline(ReplyWaitMs);
        while (m_connected && !deadline.hasExpired()) {
            pollfd ready{m_fd, POLLIN, 0};
            const int polled = ::poll(&ready, 1, int(deadline.remainingTime()));
            if (polled < 0 && errno == EINTR)
                continue;
            if (polled <= 0)
                return false;
            char buffer[4096];
            const ssize_t n = ::recv(m_fd, buffer, sizeof(buffer), 0);
            if (n > 0) {
                reply->append(buffer, n);
                if (!untilClosed)
                    return false;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            return n == 0 || errno == ECONNRESET;
        }
        return false;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

QByteArray request(const QByteArray &batch)
{
    const Exchange e = exchange(batch);
    if (!e.connected)
        return "<no connection>";
    return e.closed ? e.reply : e.reply + "<not closed>";
}

// One run of the program in a working directory of its own; the temporary directory (and so
// the socket) is the test's.
std::unique_ptr<QProcess> startProgram(const QString &workDir)
{
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KVL_PROMPT_DEFAULTS"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TMPDIR"), QDir::tempPath());
    program->setProcessEnvironment(env);
    program->setProcessChannelMode(QProcess::ForwardedChannels);
    program->setWorkingDirectory(workDir);
    program->start(programPath(), QStringList());
    return program;
}

bool waitFinished(QProcess *program, int ms)
{
    return program->state() == QProcess::NotRunning || program->waitForFinished(ms);
}

// Waits until the program answers a request, or until it ends (a start that gives up).
bool waitServing(QProcess *program)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < StartWaitMs) {
        if (request("get\tversion\n") == VersionReply)
            return true;
        if (program->state() == QProcess::NotRunning)
            return false;
        QTest::qWait(50);
    }
    return false;
}

} // namespace

class TestPipeBlackBox : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QProcess> m_program; // the instance serving the protocol cases

    // The board state a case starts from.
    void disconnectBoard() { QCOMPARE(request("run\tclose\n"), QByteArray("i1")); }
    void connectMockup() { QCOMPARE(request("run\topen\tsmockup\n"), QByteArray("i1")); }

    void startServing(std::unique_ptr<QProcess> *program, const QString &workDir)
    {
        QVERIFY2(QFileInfo(programPath()).isExecutable(), qPrintable(programPath()));
        *program = startProgram(workDir);
        QVERIFY((*program)->waitForStarted(ExitWaitMs));
        QVERIFY(waitServing(program->get()));
    }

    // "run shutdown" (the command name in any case) ends the program with exit code 0.
    void shutDown(QProcess *program, const QByteArray &command = "shutdown")
    {
        QCOMPARE(request("run\t" + command + "\n"), QByteArray("i1"));
        QVERIFY(waitFinished(program, ExitWaitMs));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
    }

    static void addRequestColumns()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QByteArray>("reply");
    }

    static void checkRequest()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QByteArray, reply);
        const Exchange e = exchange(batch);
        QVERIFY(e.connected);
        QVERIFY(e.closed); // one batch per connection
        QCOMPARE(e.reply, reply);
    }

private slots:
    void initTestCase() { startServing(&m_program, QDir::currentPath()); }

    void cleanupTestCase()
    {
        // Only reached with a program still running when a case failed on the way.
        if (m_program && m_program->state() != QProcess::NotRunning) {
            m_program->kill();
            m_program->waitForFinished(ExitWaitMs);
        }
    }

    // ---- requests without a board ------------------------------------------------------

    void notConnected_data()
    {
        addRequestColumns();
        QTest::newRow("version") << QByteArray("get\tversion\n") << VersionReply;
        QTest::newRow("VERSION") << QByteArray("get\tVERSION\n") << VersionReply;
        QTest::newRow("VerSion") << QByteArray("get\tVerSion\n") << VersionReply;
        QTest::newRow("set built-in") << QByteArray("set\tversion\ti1\n") << Ok;
        QTest::newRow("set built-in, untyped") << QByteArray("set\tclose\thello\n") << Ok;
        QTest::newRow("set built-in, empty value") << QByteArray("set\tshutdown\t\n") << Ok;
        QTest::newRow("set three parts") << QByteArray("set\tA.B.C\ti1\n") << Ok;
        QTest::newRow("get three parts") << QByteArray("get\tA.B.C\n") << QByteArray();
        QTest::newRow("get empty name") << QByteArray("get\t\n") << QByteArray();
        QTest::newRow("get unknown built-in") << QByteArray("get\tnothing\n") << QByteArray();
        QTest::newRow("get of a command") << QByteArray("get\tclose\n") << QByteArray();
        QTest::newRow("get shutdown, still serving")
            << QByteArray("get\tshutdown\nget\tversion\n") << VersionReply;
        QTest::newRow("run version") << QByteArray("run\tversion\n") << QByteArray();
        QTest::newRow("run unknown built-in")
            << QByteArray("run\tnothing\ti1\ti2\n") << QByteArray();
        QTest::newRow("run empty command") << QByteArray("run\t\n") << QByteArray();
        QTest::newRow("close") << QByteArray("run\tclose\n") << QByteArray("i1");
        QTest::newRow("CLOSE") << QByteArray("run\tCLOSE\n") << QByteArray("i1");
        QTest::newRow("write") << QByteArray("run\twrite\tsget AIN0\n") << QByteArray();
        QTest::newRow("Write") << QByteArray("run\tWrite\tsset DIO1=1\n") << QByteArray();
        QTest::newRow("open a missing port")
            << QByteArray("run\topen\ts/nonexistent/tty\nget\tSpiRaw.NOTHING\n")
            << QByteArray("i1") + Err;
        QTest::newRow("set applet item") << QByteArray("set\tSpiRaw.NOTHING\ti1\n") << Err;
        QTest::newRow("get applet item") << QByteArray("get\tSpiRaw.NOTHING\n") << Err;
        QTest::newRow("run applet command") << QByteArray("run\tSpiRaw.cmd\n") << Err;
        QTest::newRow("set unknown applet") << QByteArray("set\tNoApplet.X\ti1\n") << Err;
        QTest::newRow("get unknown applet") << QByteArray("get\tNoApplet.X\n") << Err;
        QTest::newRow("run unknown applet") << QByteArray("run\tNoApplet.X\ti1\n") << Err;
        QTest::newRow("get empty applet") << QByteArray("get\t.version\n") << Err;
        QTest::newRow("get empty item") << QByteArray("get\tversion.\n") << Err;
    }

    void notConnected()
    {
        disconnectBoard();
        checkRequest();
    }

    // ---- requests with the mock-up board -----------------------------------------------
    // Each case connects anew, which reseeds the mock-up's numbers: its reads draw 365, 1216,
    // 5415, ... (an "AIN" item takes the number modulo 1023, a "DIO" item 0); its assignments
    // answer each item's name with ":ok " (the trailing blank kept).

    void connectedToMockup_data()
    {
        addRequestColumns();
        QTest::newRow("version") << QByteArray("get\tversion\n") << VersionReply;
        QTest::newRow("write set, literal")
            << QByteArray("run\twrite\tsset DIO1=1\n") << QByteArray("x44494f313a6f6b20");
        QTest::newRow("write get, literal")
            << QByteArray("run\twrite\tsget AIN0\n") << QByteArray("x41494e303d333635");
        QTest::newRow("write two assignments")
            << QByteArray("run\twrite\tsset A=1 B=2\n") << typedBytes("A:ok B:ok ");
        QTest::newRow("WRITE, plain name")
            << QByteArray("run\tWRITE\tsget X\n") << typedBytes("X=365");
        QTest::newRow("write three reads")
            << QByteArray("run\twrite\tsget AIN0 DIO1 X\n") << typedBytes("AIN0=365 DIO1=0 X=5415");
        QTest::newRow("write reads in turn")
            << QByteArray("run\twrite\tsget AIN0\nrun\twrite\tsget AIN1\n")
            << typedBytes("AIN0=365") + typedBytes("AIN1=193");
        QTest::newRow("write repeated line once")
            << QByteArray("run\twrite\tsget AIN0\nrun\twrite\tsget AIN0\n")
            << typedBytes("AIN0=365");
        QTest::newRow("write bytes argument")
            << QByteArray("run\twrite\tx") + QByteArray("get AIN0").toHex() + "\n"
            << typedBytes("AIN0=365");
        QTest::newRow("write read naming set")
            << QByteArray("run\twrite\tsget offset\n") << typedBytes("get:ok offset:ok ");
        QTest::newRow("reopen reseeds")
            << QByteArray("run\twrite\tsget X\nrun\topen\tsmockup\nrun\twrite\tsget Y\n")
            << typedBytes("X=365") + "i1" + typedBytes("Y=365");
        QTest::newRow("close ends writes")
            << QByteArray("run\tclose\nrun\twrite\tsget AIN0\nget\tSpiRaw.NOTHING\n")
            << QByteArray("i1") + Err;
        QTest::newRow("set built-in, no effect")
            << QByteArray("set\twrite\tsget AIN0\nrun\twrite\tsget AIN0\n")
            << Ok + typedBytes("AIN0=365");
        QTest::newRow("get unknown item") << QByteArray("get\tSpiRaw.NOTHING\n") << Err;
        QTest::newRow("set unknown item") << QByteArray("set\tSpiRaw.NOTHING\ti1\n") << Err;
        QTest::newRow("set untyped value") << QByteArray("set\tSpiRaw.NOTHING\thello\n") << Err;
        QTest::newRow("run unknown command")
            << QByteArray("run\tSpiRaw.cmd\ti1\n") << QByteArray("i0");
        QTest::newRow("applet name case") << QByteArray("run\tspiraw.cmd\ti1\n") << Err;
        QTest::newRow("get unknown applet") << QByteArray("get\tNoApplet.X\n") << Err;
        QTest::newRow("set unknown applet") << QByteArray("set\tNoApplet.X\ti1\n") << Err;
        QTest::newRow("run unknown applet") << QByteArray("run\tNoApplet.X\n") << Err;
    }

    void connectedToMockup()
    {
        connectMockup();
        checkRequest();
    }

    // ---- malformed lines ---------------------------------------------------------------

    void malformedLines_data()
    {
        addRequestColumns();
        QTest::newRow("set, 2 fields") << QByteArray("set\tversion\n") << Err;
        QTest::newRow("set, 4 fields") << QByteArray("set\tversion\ti1\textra\n") << Err;
        QTest::newRow("get, 1 field") << QByteArray("get\n") << Err;
        QTest::newRow("get, 3 fields") << QByteArray("get\tversion\textra\n") << Err;
        QTest::newRow("run alone") << QByteArray("run\n") << Err;
        QTest::newRow("blank instead of TAB") << QByteArray("get version\n") << Err;
        QTest::newRow("verb SET") << QByteArray("SET\tversion\ti1\n") << Err;
        QTest::newRow("verb Get") << QByteArray("Get\tversion\n") << Err;
        QTest::newRow("unknown verb") << QByteArray("put\tversion\ti1\n") << Err;
        QTest::newRow("blank before verb") << QByteArray(" get\tversion\n") << Err;
        QTest::newRow("blank after verb") << QByteArray("get \tversion\n") << Err;
        QTest::newRow("blank before name") << QByteArray("get\t version\n") << QByteArray();
        QTest::newRow("blank after name") << QByteArray("get\tversion \n") << QByteArray();
        QTest::newRow("zero byte ends line")
            << QByteArray("get\tversion\0\tjunk\n", 18) << VersionReply;
        QTest::newRow("zero byte first") << QByteArray("\0get\tversion\n", 13) << Err;
        QTest::newRow("8-bit bytes") << QByteArray("\xff\xfe\x80\n") << Err;
        QTest::newRow("8-bit name") << QByteArray("get\t\xe9t\xe9\n") << QByteArray();
        QTest::newRow("untyped value, 2 parts") << QByteArray("set\tA.B\thello\n") << Err;
        QTest::newRow("unknown prefix") << QByteArray("run\tclose\tq1\n") << QByteArray("i1");
        QTest::newRow("errors in a batch")
            << QByteArray("put\nset\tversion\ti1\nget\nget\tversion\n")
            << Err + Ok + Err + VersionReply;
    }

    void malformedLines()
    {
        disconnectBoard();
        checkRequest();
    }

    // ---- batches -----------------------------------------------------------------------

    void batches_data()
    {
        addRequestColumns();
        QTest::newRow("repeated line")
            << QByteArray("get\tversion\nget\tversion\n") << VersionReply;
        QTest::newRow("repeat after blank")
            << QByteArray("get\tversion\n\n \nget\tversion\n") << VersionReply;
        QTest::newRow("repeat, not in turn")
            << QByteArray("get\tversion\nset\tversion\ti1\nget\tversion\n")
            << VersionReply + Ok + VersionReply;
        QTest::newRow("repeated err line") << QByteArray("nothing\nnothing\n") << Err;
        QTest::newRow("blank lines only") << QByteArray("\n\n  \n\t\n \t \n") << QByteArray();
        QTest::newRow("CR LF") << QByteArray("get\tversion\r\nset\tversion\ti1\r\n")
                               << VersionReply + Ok;
        QTest::newRow("CR LF repeat")
            << QByteArray("get\tversion\r\nget\tversion\n") << VersionReply;
        QTest::newRow("CR inside a line") << QByteArray("get\tver\rsion\r\r\n") << VersionReply;
        QTest::newRow("CR only lines") << QByteArray("\r\n\r\r\n") << QByteArray();
        QTest::newRow("no final line feed") << QByteArray("set\tversion\ti1") << Ok;
        QTest::newRow("value replies back to back")
            << QByteArray("get\tversion\nget\tVersion\nrun\tclose\n")
            << VersionReply + VersionReply + "i1";
        QTest::newRow("no data") << QByteArray() << QByteArray();
    }

    void batches()
    {
        disconnectBoard();
        checkRequest();
    }

    // A batch written in parts, with a pause after each part.
    void splitWrites_data()
    {
        QTest::addColumn<QList<QByteArray>>("parts");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("pause inside a line")
            << QList<QByteArray>{"set\tversion\ti1\nget\tver", "sion\n"} << Ok + VersionReply;
        QTest::newRow("pause inside the verb")
            << QList<QByteArray>{"g", "et\tversion\n"} << VersionReply;
        QTest::newRow("pause before CR LF")
            << QList<QByteArray>{"get\tversion", "\r", "\nset\tversion\ti1\r\n"}
            << VersionReply + Ok;
    }

    void splitWrites()
    {
        QFETCH(QList<QByteArray>, parts);
        QFETCH(QByteArray, reply);
        const Exchange e = exchange(parts);
        QVERIFY(e.connected);
        QVERIFY(e.closed);
        QCOMPARE(e.reply, reply);
    }

    // A line written right after a batch was answered runs as the next batch.
    void nextBatchOnSameConnection()
    {
        PlainClient client;
        QVERIFY(client.connected());
        client.send("get\tversion\n");
        QByteArray reply;
        client.read(&reply, false);
        QCOMPARE(reply, VersionReply);
        client.send("set\tversion\ti1\n");
        QVERIFY(client.read(&reply));
        QCOMPARE(reply, VersionReply + Ok);
    }

    // One line of the given size: accepted up to the limit ("set" of a built-in name: "ok"),
    // refused beyond it with "err" and a closed connection; the next connection is served.
    void batchLimit_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("at the limit") << MaxBatchBytes << Ok;
        QTest::newRow("one byte over") << MaxBatchBytes + 1 << Err;
        QTest::newRow("twice the limit") << 2 * MaxBatchBytes << Err;
    }

    void batchLimit()
    {
        QFETCH(qsizetype, size);
        QFETCH(QByteArray, reply);
        // No line feed before the end, so a partial read never completes the batch early.
        QByteArray batch = QByteArrayLiteral("set\tversion\ts");
        batch.append(size - batch.size() - 1, 'a');
        batch.append('\n');
        QCOMPARE(batch.size(), size);

        PlainClient client;
        QVERIFY(client.connected());
        client.send(batch);
        QByteArray received;
        QVERIFY(client.read(&received));
        QCOMPARE(received, reply);
        QCOMPARE(request("get\tversion\n"), VersionReply);
    }

    // ---- instances ---------------------------------------------------------------------

    // The pipe is in use: the question whether to use another pipe name is answered with its
    // default ("Close"), so the second instance ends with 0 before creating anything.
    void secondInstanceEnds()
    {
        QVERIFY(QDir().mkpath("second"));
        const QString workDir = QDir::current().absoluteFilePath("second");
        std::unique_ptr<QProcess> second = startProgram(workDir);
        QVERIFY(second->waitForStarted(ExitWaitMs));
        QVERIFY(waitFinished(second.get(), ExitWaitMs));
        QCOMPARE(second->exitStatus(), QProcess::NormalExit);
        QCOMPARE(second->exitCode(), 0);
        QVERIFY(QDir(workDir).isEmpty()); // no options or other files written

        QVERIFY(isSocket(socketFile()));
        QCOMPARE(request("get\tversion\n"), VersionReply);
        connectMockup();
        QCOMPARE(request("run\twrite\tsget AIN0\n"), typedBytes("AIN0=365"));
    }

    void shutdownRequest()
    {
        shutDown(m_program.get());
        QVERIFY(QFile::exists("options.ini")); // written at the end
        QCOMPARE(request("get\tversion\n"), QByteArray("<no connection>"));
        // A clean end removes the socket file.
        QVERIFY(!QFileInfo::exists(socketFile()));
    }

    // A killed instance leaves its socket behind; the next start removes it and serves.
    void staleSocketReplaced()
    {
        std::unique_ptr<QProcess> killed;
        startServing(&killed, QDir::currentPath());
        if (QTest::currentTestFailed())
            return;
        killed->kill();
        QVERIFY(killed->waitForFinished(ExitWaitMs));
        QCOMPARE(killed->exitStatus(), QProcess::CrashExit);
        QVERIFY(isSocket(socketFile()));
        QCOMPARE(request("get\tversion\n"), QByteArray("<no connection>"));

        std::unique_ptr<QProcess> next;
        startServing(&next, QDir::currentPath());
        if (QTest::currentTestFailed()) {
            if (next && next->state() != QProcess::NotRunning)
                next->kill();
            return;
        }
        connectMockup();
        QCOMPARE(request("run\twrite\tsset DIO1=1\n"), typedBytes("DIO1:ok "));
        shutDown(next.get(), "ShutDown");
    }

    // Something at the socket path that is not a socket is never removed: the start asks for
    // another pipe name, the default answer ends it.
    void fileAtSocketPathKept()
    {
        const QString path = socketFile();
        if (isSocket(path))
            QVERIFY(QFile::remove(path)); // left by the clean end of the last instance
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep me");
        file.close();

        std::unique_ptr<QProcess> program = startProgram(QDir::currentPath());
        QVERIFY(program->waitForStarted(ExitWaitMs));
        QVERIFY(waitFinished(program.get(), ExitWaitMs));
        QCOMPARE(program->exitStatus(), QProcess::NormalExit);
        QCOMPARE(program->exitCode(), 0);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
        file.close();
        QVERIFY(file.remove());
    }

    // ---- several writes and large batches on one connection ----------------------------
    // These run against an instance of their own: the first one was shut down above.

    void startAnotherInstance() { startServing(&m_program, QDir::currentPath()); }

    // Written one line per write with 1 ms pauses, or in 64-byte pieces: every line is
    // answered, in order, on the one connection.
    void pacedWrites_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<int>("piece");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray lines = versionLines(50);
        QTest::newRow("one line per write") << lines << 0 << VersionReply.repeated(50);
        // 48 bytes a round: every third 64-byte piece ends with a line feed, the others
        // inside a line.
        const QByteArray round = "set\tversion\ti1\nget\tVersion\nput\nget\tversion.\nput\n";
        QCOMPARE(round.size(), 48);
        const QByteArray mixed = round.repeated(20);
        const QByteArray replies = (Ok + VersionReply + Err + Err + Err).repeated(20);
        QTest::newRow("64-byte pieces") << mixed << 64 << replies;
    }

    void pacedWrites()
    {
        QFETCH(QByteArray, batch);
        QFETCH(int, piece);
        QFETCH(QByteArray, reply);
        PlainClient client;
        QVERIFY(client.connected());
        QList<QByteArray> parts;
        for (qsizetype at = 0; at < batch.size();) {
            const qsizetype end = piece > 0 ? at + piece : batch.indexOf('\n', at) + 1;
            parts << batch.mid(at, end - at);
            at = end;
        }
        for (const QByteArray &part : std::as_const(parts)) {
            client.send(part);
            QThread::msleep(1);
        }
        QByteArray received;
        QVERIFY(client.read(&received));
        QCOMPARE(received, reply);
    }

    // One write of many requests, read once it is all sent: every line gets its reply.
    void largeBatchInOneWrite_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("40,000 lines") << versionLines(40000) << VersionReply.repeated(40000);
        // 83,333 lines and four blank ones: 1,000,000 bytes, about 2 MB of replies.
        const QByteArray million = versionLines(83333) + "\n\n\n\n";
        QTest::newRow("1,000,000 bytes") << million << VersionReply.repeated(83333);
        // Each failing request adds an error line to the log window.
        QTest::newRow("4,000 failing") << QByteArray("set\tA.B\ti1\nset\tA.C\ti1\n").repeated(2000)
                                       << Err.repeated(4000);
    }

    void largeBatchInOneWrite()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QByteArray, reply);
        const QByteArray received = sendWhole(batch);
        QCOMPARE(received.size(), reply.size());
        QCOMPARE(received, reply);
    }

    // A batch one byte over the limit is refused whole: "err", and its request (an "open",
    // which would restart the mock-up's numbers) does not run.
    void overLimitBatchRunsNothing()
    {
        connectMockup();
        QCOMPARE(request("run\twrite\tsget X\n"), typedBytes("X=365"));
        QByteArray batch = "run\topen\tsmockup\n";
        batch.append(MaxBatchBytes + 1 - batch.size(), '\n');
        QCOMPARE(sendWhole(batch), Err);
        QCOMPARE(request("run\twrite\tsget Y\n"), typedBytes("Y=1216"));
    }

    void stopAnotherInstance() { shutDown(m_program.get()); }

private:
    // One write of the whole batch on a plain socket, then everything up to the close.
    static QByteArray sendWhole(const QByteArray &batch)
    {
        PlainClient client;
        if (!client.connected())
            return "<no connection>";
        client.send(batch);
        QByteArray received;
        return client.read(&received) ? received : received + "<not closed>";
    }

    // get version requests, the two spellings alternating so that no line repeats the last.
    static QByteArray versionLines(int count)
    {
        QByteArray lines;
        for (int i = 0; i < count; ++i)
            lines += i % 2 == 0 ? "get\tversion\n" : "get\tVersion\n";
        return lines;
    }
};

QTEST_MAIN(TestPipeBlackBox)
#include "tst_pipeblackbox.moc"
