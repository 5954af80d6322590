// The whole chain from outside: the fakeboard tool serves a simulated KVL52205 board with its
// trace on, the real program runs as a separate process, and a pipe client has it connect to the
// tool's device, read the board's EEPROM and carry 32-bit frames to the simulated KVL52404.
#include "localclient.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <memory>

namespace
{

// Wide margins: both processes run with the sanitizers, possibly on a loaded machine.
const int StartWaitMs = 90000;
const int ReplyWaitMs = 30000;

std::unique_ptr<QProcess> startProcess(const QString &path, const QStringList &arguments)
{
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KVL_PROMPT_DEFAULTS"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TMPDIR"), QDir::tempPath());
    process->setProcessEnvironment(env);
    process->setWorkingDirectory(QDir::currentPath());
    process->start(path, arguments);
    return process;
}

// One request per connection, as the program's pipe serves them.
QVariant request(const QString &kind, const QString &name, const QVariant &value = QVariant())
{
    LocalClient client(QStringLiteral("KVL52110"), ReplyWaitMs);
    QVariant result;
    if (kind == QLatin1String("get"))
        client.get(name, &result);
    else if (kind == QLatin1String("set"))
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
    void initTestCase()
    {
        board = startProcess(
            QStringLiteral(KVL_FAKEBOARD_PATH),
            {QStringLiteral("--trace"), QStringLiteral("--eeprom"), QStringLiteral("kvl52205")});
        QVERIFY(board->waitForStarted(StartWaitMs));
        QTRY_VERIFY_WITH_TIMEOUT(board->canReadLine(), StartWaitMs);
        devicePath = QString::fromLocal8Bit(board->readLine().trimmed());
        QVERIFY(devicePath.startsWith("/dev/"));

        program = startProcess(QStringLiteral(KVL_PROGRAM_PATH), {});
        QVERIFY(program->waitForStarted(StartWaitMs));
        QElapsedTimer timer;
        timer.start();
        while (!request("get", "version").isValid() && timer.elapsed() < StartWaitMs)
            QTest::qWait(50);
        QVERIFY(request("get", "version").isValid());
    }

    void unknownImageRefused()
    {
        const auto tool = startProcess(QStringLiteral(KVL_FAKEBOARD_PATH),
                                       {QStringLiteral("--eeprom"), QStringLiteral("kvl52404x")});
        QVERIFY(tool->waitForFinished(StartWaitMs));
        QCOMPARE(tool->exitCode(), 2);
        QVERIFY(tool->readAllStandardError().contains("unknown EEPROM image: kvl52404x"));
        QVERIFY(tool->readAllStandardOutput().isEmpty());
    }

    // The chip code, byte 9 of the configuration block at address 1.
    void eepromThroughThePipe()
    {
        QCOMPARE(request("run", "open", devicePath).toInt(), 1);
        QVERIFY(request("set", "SpiEEPROM.Address", 10).toBool());
        QCOMPARE(request("run", "SpiEEPROM.readByte").toInt(), 1);
        QCOMPARE(request("get", "SpiEEPROM.DataOut[]").toInt(), 5);
    }

    void frameThroughThePipe()
    {
        QVERIFY(request("set", "SpiRaw4B.SPIChannel4B", 0).toBool());
        QVERIFY(request("set", "SpiRaw4B.SpiIn4B[]", 0x9A000035u).toBool()); // write 3 to 13
        QCOMPARE(request("run", "SpiRaw4B.Transfer").toInt(), 1);
        QVERIFY(request("set", "SpiRaw4B.SpiIn4B[]", 0x1A000002u).toBool()); // read 13
        QCOMPARE(request("run", "SpiRaw4B.Transfer").toInt(), 1);
        QCOMPARE(request("get", "SpiRaw4B.SpiOut4B[24:4]").toInt(), 3);
        QCOMPARE(request("get", "SpiRaw4B.CRCValid").toDouble(), 1.0);
        QCOMPARE(request("run", "shutdown").toInt(), 1);
        QVERIFY(program->waitForFinished(StartWaitMs));
        QCOMPARE(program->exitCode(), 0);

        board->terminate();
        QVERIFY(board->waitForFinished(StartWaitMs));
        const QList<QByteArray> trace = board->readAllStandardOutput().split('\n');
        const QList<QByteArray> expected{"> set SPILEDCS0DATA=041a000002", "< SPILEDCS0DATA:ok",
                                         "> get SPILEDCS0DATA"};
        const qsizetype at = trace.indexOf(expected.first());
        QVERIFY2(at >= 0, trace.join('\n').constData());
        QCOMPARE(trace.mid(at, 3), expected);
        QVERIFY(trace.value(at + 3).startsWith("< SPILEDCS0DATA=04000000"));
        QVERIFY(trace.contains("> set SPILEDCS0DATA=049a000035"));
        QVERIFY(trace.contains("> set SPI0CS3DATA=0403000a00"));
        QVERIFY(trace.contains("< SPI0CS3DATA=04ffffff05"));
    }

    void cleanupTestCase()
    {
        for (QProcess *process : {program.get(), board.get()}) {
            if (process && process->state() != QProcess::NotRunning) {
                process->kill();
                process->waitForFinished(StartWaitMs);
            }
        }
    }

private:
    QString devicePath;
};

QTEST_MAIN(TestSpiPipe)
#include "tst_spipipe.moc"
