// The program's command pipe seen from outside: the real program runs as a separate process
// (offscreen, every prompt answered by its default through KVL_PROMPT_DEFAULTS=1) and a plain
// socket client talks to its local socket "KVL52110" in the temporary directory.
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

const QByteArray Version = "sWed Jan 08 12:43:22 2019";
const QByteArray Ok = "ok\n";
const QByteArray Err = "err\n";
const qsizetype MaxBatch = 1024 * 1024;
const int WaitMs = 60000; // wide: the program runs with the sanitizers on a shared machine

QString socketFile()
{
    return QDir::cleanPath(QDir::tempPath()) + "/KVL52110";
}

bool isSocket(const QString &path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// A mock-up answer as a typed value text.
QByteArray typed(const QByteArray &bytes)
{
    return "x" + bytes.toHex();
}

// One connection on a plain socket: a plain socket still reads the reply queued before the
// program closes a connection it stopped reading.
class Client
{
public:
    Client()
    {
        const QByteArray path = QFile::encodeName(socketFile());
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
        m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        m_connected = m_fd >= 0 &&
                      ::connect(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0;
    }
    ~Client() { ::close(m_fd); }

    bool connected() const { return m_connected; }
    void send(const QByteArray &bytes)
    {
        for (qsizetype sent = 0; m_connected && sent < bytes.size();) {
            const ssize_t n =
                ::send(m_fd, bytes.constData() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
            if (n <= 0 && errno != EINTR)
                return;
            sent += qMax<ssize_t>(n, 0);
        }
    }
    // Reads until the program closes the connection (true), or until some bytes came.
    bool read(QByteArray *reply, bool untilClosed = true)
    {
        const QDeadlineTimer deadline(WaitMs);
        while (m_connected && !deadline.hasExpired()) {
            pollfd ready{m_fd, POLLIN, 0};
            if (::poll(&ready, 1, int(deadline.remainingTime())) <= 0)
                continue;
            char buffer[4096];
            const ssize_t n = ::recv(m_fd, buffer, sizeof(buffer), 0);
            if (n > 0)
                reply->append(buffer, n);
            if (n <= 0 || !untilClosed)
                return n == 0 || (n < 0 && errno == ECONNRESET);
        }
        return false;
    }

private:
    int m_fd = -1;
    bool m_connected = false;
};

// The parts written with a pause between them; the reply up to the program's close.
QByteArray request(const QList<QByteArray> &parts)
{
    Client client;
    if (!client.connected())
        return "<no connection>";
    for (const QByteArray &part : parts) {
        if (&part != &parts.first())
            QThread::msleep(150); // well below the second a batch has to complete
        client.send(part);
    }
    QByteArray reply;
    return client.read(&reply) ? reply : reply + "<not closed>";
}
QByteArray request(const QByteArray &batch)
{
    return request(QList<QByteArray>{batch});
}

std::unique_ptr<QProcess> startProgram(const QString &workDir = QDir::currentPath())
{
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KVL_PROMPT_DEFAULTS", "1");
    env.insert("TMPDIR", QDir::tempPath());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program->setProcessEnvironment(env);
    program->setProcessChannelMode(QProcess::ForwardedChannels);
    program->setWorkingDirectory(workDir);
    program->start(KVL_PROGRAM_PATH, QStringList());
    return program;
}

// Whether the program ended by itself with exit code 0.
bool endsCleanly(QProcess *program)
{
    return (program->state() == QProcess::NotRunning || program->waitForFinished(WaitMs)) &&
           program->exitStatus() == QProcess::NormalExit && program->exitCode() == 0;
}

} // namespace

class TestPipeBlackBox : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> m_program;

    bool startServing()
    {
        m_program = startProgram();
        const QDeadlineTimer deadline(3 * WaitMs);
        while (m_program->state() != QProcess::NotRunning && !deadline.hasExpired()) {
            if (request("get\tversion\n") == Version)
                return true;
            QTest::qWait(50);
        }
        return false;
    }

private slots:
    void initTestCase() { QVERIFY(startServing()); }
    void cleanupTestCase()
    {
        if (m_program && m_program->state() != QProcess::NotRunning) {
            m_program->kill();
            m_program->waitForFinished(WaitMs);
        }
    }

    // One batch per connection. Rows marked "mock-up" run right after a fresh connection to
    // the mock-up, whose reads then draw 365, 1216, 5415 (an "AIN" item modulo 1023, a "DIO"
    // item 0) and whose assignments answer "NAME:ok ".
    void requests_data()
    {
        QTest::addColumn<bool>("mockup");
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QByteArray>("reply");
        const auto row = [](const char *name, bool mockup, const QByteArray &batch,
                            const QByteArray &reply) {
            QTest::newRow(name) << mockup << batch << reply;
        };
        row("version, any case", false, "get\tVerSion\n", Version);
        row("set built-in", false, "set\tclose\thello\n", Ok);
        row("get of a command", false, "get\tclose\n", "");
        row("run unknown built-in", false, "run\tnothing\ti1\n", "");
        row("close", false, "run\tCLOSE\n", "i1");
        row("write unconnected", false, "run\twrite\tsget AIN0\n", "");
        row("missing port", false, "run\topen\ts/nonexistent/tty\nget\tSpiRaw.X\n", "i1" + Err);
        row("applet unconnected", false, "run\tSpiRaw.cmd\n", Err);
        row("empty applet", false, "get\t.version\n", Err);
        row("write set", true, "run\twrite\tsset DIO1=1\n", typed("DIO1:ok "));
        row("write reads", true, "run\twrite\tsget AIN0 DIO1 X\n", typed("AIN0=365 DIO1=0 X=5415"));
        row("write in turn", true, "run\twrite\tsget AIN0\nrun\twrite\tsget AIN1\n",
            typed("AIN0=365") + typed("AIN1=193"));
        row("write bytes", true, "run\tWRITE\tx" + QByteArray("get AIN0").toHex() + "\n",
            typed("AIN0=365"));
        row("reopen reseeds", true, "run\twrite\tsget X\nrun\topen\tsmockup\nrun\twrite\tsget Y\n",
            typed("X=365") + "i1" + typed("Y=365"));
        row("close ends writes", true, "run\tclose\nrun\twrite\tsget A\nget\tSpiRaw.X\n",
            "i1" + Err);
        row("unknown applet item", true, "set\tSpiRaw.NOTHING\ti1\n", Err);
        row("untyped value", true, "set\tSpiRaw.NOTHING\thello\n", Err);
        row("unknown command", true, "run\tSpiRaw.cmd\ti1\n", "i0");
        row("applet name case", true, "run\tspiraw.cmd\ti1\n", Err);
        row("set, 4 fields", false, "set\tversion\ti1\textra\n", Err);
        row("get, 1 field", false, "get\n", Err);
        row("blank for TAB", false, "get version\n", Err);
        row("verb case", false, "Get\tversion\n", Err);
        row("blank in name", false, "get\tversion \n", "");
        row("zero byte ends line", false, QByteArray("get\tversion\0\tjunk\n", 18), Version);
        row("zero byte first", false, QByteArray("\0get\tversion\n", 13), Err);
        row("8-bit bytes", false, "\xff\xfe\x80\n", Err);
        row("errors in a batch", false, "put\nset\tversion\ti1\nget\nget\tversion\n",
            Err + Ok + Err + Version);
        row("repeat after blank", false, "get\tversion\n\n \nget\tversion\n", Version);
        row("repeat not in turn", false, "get\tversion\nset\tA.B.C\ti1\nget\tversion\n",
            Version + Ok + Version);
        row("repeated write once", true, "run\twrite\tsget A\nrun\twrite\tsget A\n",
            typed("A=365"));
        row("CR LF", false, "get\tver\rsion\r\nset\tversion\ti1\r\n", Version + Ok);
        row("no final line feed", false, "set\tversion\ti1", Ok);
        row("no data", false, "", "");
    }
    void requests()
    {
        QFETCH(bool, mockup);
        QFETCH(QByteArray, batch);
        QFETCH(QByteArray, reply);
        QCOMPARE(request(mockup ? "run\topen\tsmockup\n" : "run\tclose\n"), QByteArray("i1"));
        QCOMPARE(request(batch), reply);
    }

    // A batch written in parts with pauses, inside a line and before CR LF.
    void splitWrites()
    {
        QCOMPARE(request({"set\tversion\ti1\nget\tver", "sion", "\r", "\n"}), Ok + Version);
    }

    // A line written right after a batch was answered runs as the next batch.
    void nextBatchOnSameConnection()
    {
        Client client;
        client.send("get\tversion\n");
        QByteArray reply;
        client.read(&reply, false);
        QCOMPARE(reply, Version);
        client.send("set\tversion\ti1\n");
        QVERIFY(client.read(&reply));
        QCOMPARE(reply, Version + Ok);
    }

    // Up to the limit every line is answered; one byte over, the whole batch is refused and
    // runs nothing (its "open" would reseed the mock-up), and the next connection is served.
    void batchLimit()
    {
        QByteArray lines;
        for (int i = 0; i < 40000; ++i)
            lines += i % 2 ? "get\tVersion\n" : "get\tversion\n";
        QCOMPARE(request(lines), Version.repeated(40000));
        QByteArray atLimit = "set\tversion\ts";
        atLimit.append(MaxBatch - atLimit.size() - 1, 'a').append('\n');
        QCOMPARE(request(atLimit), Ok);
        QCOMPARE(request("run\topen\tsmockup\nrun\twrite\tsget X\n"), "i1" + typed("X=365"));
        QByteArray over = "run\topen\tsmockup\n";
        over.append(MaxBatch + 1 - over.size(), '\n');
        QCOMPARE(request(over), Err);
        QCOMPARE(request("run\twrite\tsget Y\n"), typed("Y=1216"));
    }

    // The pipe is in use: the default answer to the question of another pipe name is "Close",
    // so a second instance ends with 0 before writing anything.
    void secondInstanceEnds()
    {
        QVERIFY(QDir().mkpath("second"));
        std::unique_ptr<QProcess> second = startProgram(QDir::current().absoluteFilePath("second"));
        QVERIFY(endsCleanly(second.get()));
        QVERIFY(QDir("second").isEmpty());
        QCOMPARE(request("get\tversion\n"), Version);
    }

    // "run shutdown" in any case ends with 0, writes the options and removes the socket; a
    // killed instance leaves its socket, which the next start replaces.
    void shutdownAndStaleSocket()
    {
        QCOMPARE(request("run\tShutDown\n"), QByteArray("i1"));
        QVERIFY(endsCleanly(m_program.get()));
        QVERIFY(QFile::exists("options.ini"));
        QVERIFY(!QFile::exists(socketFile()));
        QVERIFY(startServing());
        m_program->kill();
        QVERIFY(m_program->waitForFinished(WaitMs));
        QVERIFY(isSocket(socketFile()));
        QVERIFY(startServing());
        QCOMPARE(request("run\tshutdown\n"), QByteArray("i1"));
        QVERIFY(endsCleanly(m_program.get()));
    }

    // Something at the socket path that is not a socket is never removed; the default answer
    // to the question of another pipe name ends the start.
    void fileAtSocketPathKept()
    {
        QVERIFY(!QFile::exists(socketFile()) || QFile::remove(socketFile()));
        QFile file(socketFile());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
        file.close();
        QVERIFY(endsCleanly(startProgram().get()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
    }
};

QTEST_MAIN(TestPipeBlackBox)
#include "tst_pipeblackbox.moc"
