// The whole chain from outside: the fakeboard tool serves a simulated KVL52205 board with its
// trace on, the real program runs as a separate process, and a pipe client has it connect to
// the tool's device, read the board's EEPROM and carry 32-bit frames to the simulated KVL52404.
#include "localclient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <memory>

namespace
{

const int WaitMs = 90000; // wide: both processes run with the sanitizers

std::unique_ptr<QProcess> startProcess(const QString &path, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KVL_PROMPT_DEFAULTS", "1");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", QDir::tempPath());
    process->setProcessEnvironment(env);
    process->start(path, arguments);
    return process;
}

// One request per connection: "get", "set" or "run" of name.
QVariant request(const QString &kind, const QString &name, const QVariant &value = QVariant())
{
    LocalClient client("KVL52110", 30000);
    QVariant result;
    if (kind == "get")
        client.get(name, &result);
    else if (kind == "set")
        result = client.set(name, value);
    else
        client.run(name, value.isValid() ? QList<QVariant>{value} : QList<QVariant>(), &result);
    return result;
}

} // namespace

class TestSpiPipe : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> board;
    std::unique_ptr<QProcess> program;

private slots:
    void wholeChain()
    {
        board = startProcess(KVL_FAKEBOARD_PATH, {"--trace", "--eeprom", "kvl52205"});
        QTRY_VERIFY_WITH_TIMEOUT(board->canReadLine(), WaitMs);
        const QString device = QString::fromLocal8Bit(board->readLine().trimmed());
        QVERIFY(device.startsWith("/dev/"));
        program = startProcess(KVL_PROGRAM_PATH, {});
        QElapsedTimer timer;
        timer.start();
        while (!request("get", "version").isValid() && timer.elapsed() < WaitMs)
            QTest::qWait(50);

        // The chip code, byte 9 of the configuration block at address 1.
        QCOMPARE(request("run", "open", device).toInt(), 1);
        QVERIFY(request("set", "SpiEEPROM.Address", 10).toBool());
        QCOMPARE(request("run", "SpiEEPROM.readByte").toInt(), 1);
        QCOMPARE(request("get", "SpiEEPROM.DataOut[]").toInt(), 5);
        // A write of 3 to word 13 and its read-back.
        QVERIFY(request("set", "SpiRaw4B.SPIChannel4B", 0).toBool());
        QVERIFY(request("set", "SpiRaw4B.SpiIn4B[]", 0x9A000035u).toBool());
        QCOMPARE(request("run", "SpiRaw4B.Transfer").toInt(), 1);
        QVERIFY(request("set", "SpiRaw4B.SpiIn4B[]", 0x1A000002u).toBool());
        QCOMPARE(request("run", "SpiRaw4B.Transfer").toInt(), 1);
        QCOMPARE(request("get", "SpiRaw4B.SpiOut4B[24:4]").toInt(), 3);
        QCOMPARE(request("get", "SpiRaw4B.CRCValid").toDouble(), 1.0);
        QCOMPARE(request("run", "shutdown").toInt(), 1);
        QVERIFY(program->waitForFinished(WaitMs));
        QCOMPARE(program->exitCode(), 0);

        // The trace: each line received as "> line", each answer as "< answer".
        board->terminate();
        QVERIFY(board->waitForFinished(WaitMs));
        const QByteArray trace = board->readAllStandardOutput();
        for (const char *lines : {"> set SPI0CS3DATA=0403000a00\n< SPI0CS3DATA:ok\n"
                                  "> get SPI0CS3DATA\n< SPI0CS3DATA=04ffffff05\n",
                                  "> set SPILEDCS0DATA=049a000035\n< SPILEDCS0DATA:ok\n",
                                  "> set SPILEDCS0DATA=041a000002\n< SPILEDCS0DATA:ok\n"
                                  "> get SPILEDCS0DATA\n< SPILEDCS0DATA=04000000"})
            QVERIFY2(trace.contains(lines), trace.constData());
    }

    void cleanupTestCase()
    {
        for (QProcess *process : {program.get(), board.get()}) {
            if (process && process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(WaitMs);
            }
        }
    }
};

QTEST_MAIN(TestSpiPipe)
#include "tst_spipipe.moc"
