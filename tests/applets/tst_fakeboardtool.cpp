// The fakeboard tool as a separate process: the matrix chips it puts on the bus by default and
// with its options, and the KVL52205's register 6 switching the chips' supply outputs.
#include "fakematrixbus.h"
#include "lineclient.h"

#include <QProcess>
#include <QtTest>

#include <memory>

namespace
{

const int StartWaitMs = 90000;

QByteArray setFrame(const char *hexFrame)
{
    const QByteArray frame = QByteArray::fromHex(hexFrame);
    QByteArray head;
    head.append(char(14)).append(char(frame.size()));
    return "set SER2PXNDATA=" + head.toHex() + frame.toHex();
}

// The CRC-carrying command frame FT 3 to address 0 with one or two data bytes.
QByteArray broadcast(int csid, const QByteArray &data)
{
    QByteArray bytes = QByteArray::fromHex("55e0");
    const int pid2 = csid | (qPopulationCount(quint8(csid)) % 2 == 0 ? 0x80 : 0);
    bytes.append(char(pid2)).append(data);
    bytes.append(char(FakeMatrixBus::crc8(bytes.mid(1))));
    return setFrame(bytes.toHex().constData());
}

} // namespace

class TestFakeboardTool : public QObject
{
    Q_OBJECT

    std::unique_ptr<QProcess> tool;
    std::unique_ptr<LineClient> line;

    bool start(const QStringList &arguments)
    {
        tool = std::make_unique<QProcess>();
        tool->start(QStringLiteral(KVL_FAKEBOARD_PATH), arguments);
        if (!tool->waitForStarted(StartWaitMs))
            return false;
        QElapsedTimer timer;
        timer.start();
        while (!tool->canReadLine() && timer.elapsed() < StartWaitMs)
            tool->waitForReadyRead(100);
        const QString path = QString::fromLocal8Bit(tool->readLine().trimmed());
        line = std::make_unique<LineClient>(path);
        return path.startsWith("/dev/");
    }

    // The answer data (hex, without echo and CRC) of a read request, "-" for none.
    QByteArray ask(const char *request)
    {
        if (line->ask(setFrame(request)) != "SER2PXNDATA:ok")
            return "refused";
        const QByteArray answer = line->ask("get SER2DATA");
        const QByteArray prefix = "SER2DATA=";
        if (!answer.startsWith(prefix))
            return answer;
        const QByteArray bytes = QByteArray::fromHex(answer.mid(prefix.size() + 2));
        if (bytes.size() <= 3)
            return "-";
        const QByteArray data = bytes.mid(3, bytes.size() - 4);
        if (quint8(bytes.back()) != FakeMatrixBus::crc8(bytes.mid(1, 2) + data))
            return "bad crc";
        return data.toHex();
    }

private slots:
    void cleanup()
    {
        line.reset();
        if (tool) {
            tool->kill();
            tool->waitForFinished(StartWaitMs);
        }
        tool.reset();
    }

    // Two chips at 1 and 7 in normal mode: chip 1 identifies itself with DLT 7, 10, 20.
    void defaultChips()
    {
        QVERIFY(start({}));
        QCOMPARE(ask("556180"), QByteArray("012301070a14"));
        QCOMPARE(ask("556780"), QByteArray("012301070b15"));
        QCOMPARE(ask("556786"), QByteArray("04"));
        QCOMPARE(ask("556108"), QByteArray("00"));
    }

    // The controller's PWM 1 answers its bare start and stop commands; other PWM lines stay
    // with the value store.
    void pwmCommands()
    {
        QVERIFY(start({}));
        QCOMPARE(line->ask("set PWM1START"), QByteArray("PWM1START:ok"));
        QCOMPARE(line->ask("set PWM1STOP"), QByteArray("PWM1STOP:ok"));
        QCOMPARE(line->ask("set PWM1STOPX=1"), QByteArray("PWM1STOPX:ok"));
    }

    // The bare configuration commands of the board page's set-up.
    void setupCommands()
    {
        QVERIFY(start({}));
        for (const QByteArray name : {"SER2CONF", "PWM0CONF", "PWM2START", "PWM1CONF"})
            QCOMPARE(line->ask("set " + name), name + ":ok");
        QCOMPARE(line->ask("set SER3CONFX"), QByteArray("err"));
    }

    // The chip code of the driver board each EEPROM image describes (configuration byte 9).
    void eepromImages_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QByteArray>("code");
        QTest::newRow("kvl52404") << "kvl52404" << QByteArray("0c");
        QTest::newRow("kvl52205") << "kvl52205" << QByteArray("05");
        QTest::newRow("kvl52404buck") << "kvl52404buck" << QByteArray("10");
        QTest::newRow("unsupported") << "unsupported" << QByteArray("06");
    }
    void eepromImages()
    {
        QFETCH(QString, image);
        QVERIFY(start({"--eeprom", image}));
        QCOMPARE(line->ask("set SPI0CS3DATA=0403000a00"), QByteArray("SPI0CS3DATA:ok"));
        QFETCH(QByteArray, code);
        QCOMPARE(line->ask("get SPI0CS3DATA"), "SPI0CS3DATA=04ffffff" + code);
    }

    void noChips()
    {
        QVERIFY(start({"--chips", "none"}));
        QCOMPARE(ask("556180"), QByteArray("-"));
    }

    void badOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("chips list") << QStringList{"--chips", "1,7"};
        QTest::newRow("count") << QStringList{"--unaddressed", "x"};
        QTest::newRow("too many") << QStringList{"--unaddressed", "33"};
    }
    void badOptions()
    {
        QFETCH(QStringList, arguments);
        tool = std::make_unique<QProcess>();
        tool->start(QStringLiteral(KVL_FAKEBOARD_PATH), arguments);
        QVERIFY(tool->waitForFinished(StartWaitMs));
        QCOMPARE(tool->exitCode(), 2);
    }

    // Unaddressed chips at 0 collide until auto addressing gives chip 0 (output 1, switched
    // by bit 1 of the KVL52205's register 6) an address of its own.
    void unaddressed()
    {
        QVERIFY(start({"--unaddressed", "2"}));
        QCOMPARE(ask("55e086"), QByteArray("-"));
        QCOMPARE(line->ask(broadcast(4, QByteArray::fromHex("81"))), QByteArray("SER2PXNDATA:ok"));
        QCOMPARE(line->ask("set SPI0CS0DATA=02b402"), QByteArray("SPI0CS0DATA:ok")); // reg 6 = 2
        QCOMPARE(line->ask(broadcast(5, QByteArray::fromHex("8500"))),
                 QByteArray("SER2PXNDATA:ok"));
        QCOMPARE(ask("55e586"), QByteArray("02")); // address 5, auto addressing
        QCOMPARE(ask("55e580"), QByteArray("012301070a14"));
        QCOMPARE(ask("55e086"), QByteArray("02")); // the other chip, alone at 0 now
    }
};

QTEST_MAIN(TestFakeboardTool)
#include "tst_fakeboardtool.moc"
