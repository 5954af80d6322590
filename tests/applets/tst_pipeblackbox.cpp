// The real program as a separate process (prompts answered by default through
// KVL_PROMPT_DEFAULTS=1), spoken to over its local socket "KVL52110" by a plain socket client.
#include "pipeclient.h"
#include "pipename.h"
#include "socketdir.h"
#include "testfiles.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTcpServer>
#include <QtTest>

#include <cerrno>
#include <cstring>
#include <memory>

#include <poll.h>
#include <sys/socket.h>
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
    return PipeName::socketFile(QStringLiteral("KVL52110"));
}

// A mock-up answer as a typed value text.
QByteArray typed(const QByteArray &bytes)
{
    return "x" + bytes.toHex();
}

// One connection on a plain socket (which still reads a reply queued before the program
// closes a connection it stopped reading): the parts written one after the other, each once the
// program has read the one before, then the reply up to the program's close.
QByteArray request(const QList<QByteArray> &parts)
{
    const SocketDir dir; // the address goes through its descriptor
    const sockaddr_un address = PipeClient::address(dir, QStringLiteral("KVL52110"));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
        ::close(fd);
        return "<no connection>";
    }
    for (const QByteArray &part : parts) {
        // A part follows once the program has taken the one before: it arrives on its own.
        if (&part != &parts.first() &&
            !QTest::qWaitFor([fd]() { return PipeClient::unreadByPeer(fd) == 0; }, WaitMs))
            return "<not read>";
        for (qsizetype sent = 0, n = 0; sent < part.size() && n >= 0; sent += n)
            n = ::send(fd, part.constData() + sent, size_t(part.size() - sent), MSG_NOSIGNAL);
    }
    QByteArray reply;
    char buffer[4096];
    pollfd ready{fd, POLLIN, 0};
    ssize_t n = 1;
    while (n > 0 && ::poll(&ready, 1, WaitMs) > 0)
        if ((n = ::recv(fd, buffer, sizeof(buffer), 0)) > 0)
            reply.append(buffer, n);
    ::close(fd);
    return n == 0 || errno == ECONNRESET ? reply : reply + "<not closed>";
}
QByteArray request(const QByteArray &batch)
{
    return request(QList<QByteArray>{batch});
}

// With captured, standard output and error go to the files "program.out" and "program.err"
// in the test's working directory.
std::unique_ptr<QProcess> startProgram(const QString &workDir = QDir::currentPath(),
                                       bool answerDefaults = true, bool captured = false,
                                       const QStringList &arguments = {},
                                       const QString &platform = "offscreen")
{
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("KVL_PROMPT_DEFAULTS");
    if (answerDefaults)
        env.insert("KVL_PROMPT_DEFAULTS", "1");
    env.insert("TMPDIR", QDir::tempPath());
    env.insert("QT_QPA_PLATFORM", platform);
    program->setProcessEnvironment(env);
    program->setProcessChannelMode(captured ? QProcess::SeparateChannels
                                            : QProcess::ForwardedChannels);
    if (captured) {
        program->setStandardOutputFile(QDir::current().absoluteFilePath("program.out"));
        program->setStandardErrorFile(QDir::current().absoluteFilePath("program.err"));
    }
    program->setWorkingDirectory(workDir);
    program->start(KVL_PROGRAM_PATH, arguments);
    return program;
}

// Whether the program ended by itself with exit code code.
bool endsWith(QProcess *program, int code)
{
    return (program->state() == QProcess::NotRunning || program->waitForFinished(WaitMs)) &&
           program->exitStatus() == QProcess::NormalExit && program->exitCode() == code;
}
bool endsCleanly(QProcess *program)
{
    return endsWith(program, 0);
}

} // namespace

class TestPipeBlackBox : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> m_program; // killed at the end if still running

    bool startServing(bool captured = false)
    {
        m_program = startProgram(QDir::currentPath(), true, captured);
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

    // One batch per connection, after a fresh "close" or (batches marked "M") a fresh
    // connection to the mock-up, whose reads then draw 365, 1216, 5415 (an "AIN" item modulo
    // 1023, a "DIO" item 0) and whose assignments answer "NAME:ok ".
    void requests_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QByteArray>("reply");
        const QByteArray rows[][2] = {
            {"get\tVerSion\nset\tclose\thello\nget\tclose\nrun\tnothing\ti1\nget\tA.B.C\n"
             "run\twrite\tsget A\nrun\tSpiRaw.cmd\nget\t.version\nrun\tCLOSE\n",
             Version + Err + Err + Err + Err + "i1"}, // "write" without a connection fails
            {"run\topen\ts/nonexistent/tty\nrun\topen\ts\nget\tSpiRaw.X\n", "i0i0" + Err},
            {"Mrun\twrite\tsset DIO1=1\n", typed("DIO1:ok ")},
            {"Mrun\twrite\tsget AIN0 DIO1 X\n", typed("AIN0=365 DIO1=0 X=5415")},
            {"Mrun\twrite\tsget AIN0\nrun\tWRITE\tx" + QByteArray("get AIN1").toHex() + "\n",
             typed("AIN0=365") + typed("AIN1=193")},
            {"Mrun\twrite\tsget X\nrun\topen\tsmockup\nrun\twrite\tsget Y\n",
             typed("X=365") + "i1" + typed("Y=365")},
            {"Mrun\tclose\nrun\twrite\tsget A\nget\tSpiRaw.X\n", "i1" + Err + Err},
            {"Mset\tSpiRaw.NOTHING\ti1\nset\tSpiRaw.X\thello\nrun\tSpiRaw.cmd\ti1\n"
             "run\tspiraw.cmd\ti1\n",
             Err + Err + "i0" + Err},
            {"set\tversion\ti1\textra\nget\nget version\nGet\tversion\n\xff\xfe\n\nget\tversion \n",
             Err.repeated(5)},
            {"get\tversion\n\n \nget\tversion\nput\nget\tversion\n", Version + Err + Version},
            {"Mrun\twrite\tsget A\nrun\twrite\tsget A\n", typed("A=365")},
            {"set\tversion\ti1", Ok}};
        for (const auto &row : rows)
            QTest::newRow(row[0].left(24).toPercentEncoding()) << row[0] << row[1];
    }
    void requests()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QByteArray, reply);
        const bool mockup = batch.startsWith('M');
        QCOMPARE(request(mockup ? "run\topen\tsmockup\n" : "run\tclose\n"), QByteArray("i1"));
        QCOMPARE(request(mockup ? batch.mid(1) : batch), reply);
    }

    // The fakeboard tool serves a simulated KVL52205 board with its trace on: the program
    // reads the board's chip code from its EEPROM and carries a write of 3 to word 13 of the
    // simulated KVL52404 and its read-back; the trace shows each line ("> ") and answer ("< ").
    void throughFakeboard()
    {
        QProcess board;
        board.start(KVL_FAKEBOARD_PATH, {"--trace", "--eeprom", "kvl52205"});
        QTRY_VERIFY_WITH_TIMEOUT(board.canReadLine(), WaitMs);
        const QByteArray device = board.readLine().trimmed();
        QCOMPARE(request("run\topen\ts" + device +
                         "\nset\tSpiEEPROM.Address\ti10\n"
                         "run\tSpiEEPROM.readByte\nget\tSpiEEPROM.DataOut[]\n"),
                 "i1" + Ok + "i1" + "i5");
        QCOMPARE(request("set\tSpiRaw4B.SPIChannel4B\ti0\nset\tSpiRaw4B.SpiIn4B[]\ti2583691317\n"
                         "run\tSpiRaw4B.Transfer\nset\tSpiRaw4B.SpiIn4B[]\ti436207618\n"
                         "run\tSpiRaw4B.Transfer\nget\tSpiRaw4B.SpiOut4B[24:4]\n"
                         "get\tSpiRaw4B.CRCValid\nrun\tclose\n"),
                 Ok + Ok + "i1" + Ok + "i1" + "i3" + "f1" + "i1");
        // The matrix bus answers a read of its receive buffer, in the sanitizer build too.
        QCOMPARE(request("run\topen\ts" + device + "\nrun\twrite\tsget SER2DATA\nrun\tclose\n"),
                 "i1" + typed("SER2DATA=00\n") + "i1");
        QCOMPARE(board.state(), QProcess::Running);
        board.terminate();
        QVERIFY(board.waitForFinished(WaitMs));
        const QByteArray trace = board.readAllStandardOutput();
        for (const char *lines : {"> set SPI0CS3DATA=0403000a00\n< SPI0CS3DATA:ok\n"
                                  "> get SPI0CS3DATA\n< SPI0CS3DATA=04ffffff05\n",
                                  "> set SPILEDCS0DATA=041a000002\n< SPILEDCS0DATA:ok\n"
                                  "> get SPILEDCS0DATA\n< SPILEDCS0DATA=04000000"})
            QVERIFY2(trace.contains(lines), trace.constData());
    }

    // A batch written in parts, each read on its own; up to the limit every line is answered;
    // one byte over, the batch is refused whole and runs nothing (its "open" would reseed the
    // mock-up).
    void batchLimit()
    {
        QCOMPARE(request({"set\tversion\ti1\nget\tver", "sion", "\r", "\n"}), Ok + Version);
        QByteArray atLimit = "set\tversion\ts";
        atLimit.append(MaxBatch - atLimit.size() - 1, 'a').append('\n');
        QCOMPARE(request(atLimit), Ok);
        QCOMPARE(request("run\topen\tsmockup\nrun\twrite\tsget X\n"), "i1" + typed("X=365"));
        QByteArray over = "run\topen\tsmockup\n";
        over.append(MaxBatch + 1 - over.size(), '\n');
        QCOMPARE(request(over), Err);
        QCOMPARE(request("run\twrite\tsget Y\n"), typed("Y=1216"));
    }

    // With the pipe in use, the default answer to the question of another pipe name ends a
    // start that did not serve with 1 before it writes anything.
    void otherStartsEnd()
    {
        QVERIFY(QDir().mkpath("second"));
        QVERIFY(endsWith(startProgram(QDir::current().absoluteFilePath("second")).get(), 1));
        QVERIFY(QDir("second").isEmpty());
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
        QVERIFY(QFile::exists(socketFile()));
        QVERIFY(startServing());
        QCOMPARE(request("run\tshutdown\n"), QByteArray("i1"));
        QVERIFY(endsCleanly(m_program.get()));
    }

    // Without the default answers, on a platform that shows windows (a VNC server here), the
    // program asks with its own dialogs: it listens, then waits at the project-type question
    // and serves no request yet. Given the type by "--project", it does not ask.
    void ownDialogsWithoutDefaults()
    {
        QTcpServer free; // a port for the VNC server
        QVERIFY(free.listen(QHostAddress::LocalHost));
        const QString vnc = QStringLiteral("vnc:port=%1").arg(free.serverPort());
        free.close();
        m_program = startProgram(QDir::currentPath(), false, false, {}, vnc);
        QLocalSocket socket;
        const QDeadlineTimer deadline(WaitMs);
        while (!deadline.hasExpired() && m_program->state() != QProcess::NotRunning) {
            if (PipeClient::connectSocket(&socket, QStringLiteral("KVL52110")))
                break;
            QTest::qWait(100);
        }
        QCOMPARE(socket.state(), QLocalSocket::ConnectedState);
        socket.write("get\tversion\n");
        QVERIFY(socket.waitForBytesWritten(5000));
        QVERIFY(!socket.waitForReadyRead(5000));
        QCOMPARE(m_program->state(), QProcess::Running);
        m_program->kill();
        QVERIFY(m_program->waitForFinished(WaitMs));
        QFile::remove(socketFile());

        m_program = startProgram(QDir::currentPath(), false, false, {"--project", "TO1/TO2"}, vnc);
        const QDeadlineTimer started(3 * WaitMs);
        while (request("get\tversion\n") != Version && !started.hasExpired())
            QTest::qWait(50);
        QCOMPARE(request("run\tshutdown\n"), QByteArray("i1"));
        QVERIFY(endsCleanly(m_program.get()));
    }

    // A file that is not a socket at the socket path is never removed; the start ends with 1.
    void fileAtSocketPathKept()
    {
        const QString directory = QFileInfo(socketFile()).absolutePath();
        QVERIFY(QDir().mkpath(directory));
        QVERIFY(QFile::setPermissions(directory, QFileDevice::Permissions(0x7700)));
        QFile file(socketFile());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
        file.close();
        QVERIFY(endsWith(startProgram().get(), 1));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("keep me"));
        QVERIFY(file.remove());
    }

    // Under the default logging rules, a run that connects to the simulated board (its set-up
    // reads the EEPROM and writes both drivers) and uses the frame and SPI tools writes nothing
    // to standard output or error but the platform's own lines.
    void quietOutput()
    {
        QProcess board;
        board.start(KVL_FAKEBOARD_PATH, QStringList());
        QTRY_VERIFY_WITH_TIMEOUT(board.canReadLine(), WaitMs);
        const QByteArray device = board.readLine().trimmed();
        qunsetenv("QT_LOGGING_RULES");
        qunsetenv("QT_LOGGING_CONF");
        QVERIFY(startServing(true));
        QCOMPARE(request("run\topen\ts" + device +
                         "\nrun\tPxn.Read_raw_data\nset\tConfiguration.SACONF\ti3\n"
                         "run\tConfiguration.Read_slave_ident\nset\tConfiguration.SACONF\ti1\n"
                         "run\tConfiguration.Read_slave_ident\nrun\tSpiRaw.Transfer\n"
                         "run\tSpiRaw4B.Transfer\nrun\tSpiEEPROM.readByte\n"),
                 "i1i0" + Ok + "i0" + Ok + "i1i1i1i1");
        QCOMPARE(request("run\tshutdown\n"), QByteArray("i1"));
        QVERIFY(endsCleanly(m_program.get()));
        board.terminate();
        QVERIFY(board.waitForFinished(WaitMs));
        const QRegularExpression platform(QStringLiteral(
            "^(qt\\.qpa\\.[\\w.]+: |QStandardPaths: |This plugin does not support )"));
        QStringList own;
        for (const char *output : {"program.out", "program.err"}) {
            for (const QString &line : QString::fromLocal8Bit(TestFiles::read(output)).split('\n'))
                if (!line.isEmpty() && !platform.match(line).hasMatch())
                    own << line;
        }
        QVERIFY2(own.isEmpty(), qPrintable(own.join('\n')));
    }
};

QTEST_MAIN(TestPipeBlackBox)
#include "tst_pipeblackbox.moc"
