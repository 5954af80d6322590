// The 16-bit SPI tool in the running application, connected to the simulated board over a
// pseudo-terminal: the exact lines it sends, the words it keeps, its failures, its commands
// and its form.
#include "checkbox.h"
#include "lineedit.h"
#include "pushbutton.h"
#include "spiappfixture.h"
#include "variable.h"

#include <QtTest>

namespace
{

const QByteArray Get = QByteArrayLiteral("get SPI0CS0DATA");

quint32 spiOut()
{
    return spiRaw->get(QStringLiteral("SpiOut[]"), Variable::OutsideKey).toUInt();
}

bool sendWord(quint32 word)
{
    spiRaw->set(QStringLiteral("SpiIn[]"), QVariant(uint(word)), Variable::InternalKey);
    return spiRaw->transfer();
}

} // namespace

class TestSpiRaw : public QObject
{
    Q_OBJECT

    SpiAppFixture f;

    // Checks that a transfer failed as a whole: false, one error entry, SpiOut kept.
    void checkFailedTransfer(quint32 word)
    {
        spiRaw->set(QStringLiteral("SpiOut[]"), QVariant(0x1234u), Variable::InternalKey);
        QSignalSpy log(spiRaw, &Applet::signal_log);
        QVERIFY(!sendWord(word));
        QCOMPARE(log.size(), 1);
        QCOMPARE(log.at(0).at(0).toInt(), -1);
        QCOMPARE(log.at(0).at(1).toString(), QString("SPI data transfer failed"));
        QCOMPARE(spiOut(), 0x1234u);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(f.start());
        QVERIFY(spiRaw);
        QCOMPARE(f.app->findApplet("SpiRaw", MainApp::ByName), spiRaw);
        QCOMPARE(spiRaw->windowTitle(), QString("(Ctrl+0) SPI Raw"));
        QVERIFY(SpiAppFixture::hasFixedWindow(spiRaw, QSize(500, 275)));
    }

    void init() { f.take(); }

    // Each command enters its help text only when it is compared, so a first "Transfer"
    // registers only its own; an empty command then registers the rest.
    void helpTableGrowsCommandByCommand()
    {
        QCOMPARE(spiRaw->run("Transfer", QVariant()), QVariant(true));
        QCOMPARE(spiRaw->functionNames(), QStringList{"Transfer"});
        QCOMPARE(spiRaw->run("", 0), QVariant(false));
        QCOMPARE(spiRaw->functionNames(), (QStringList{"Transfer", "setSPIFreq"}));
        f.take();
    }

    void sendsHighByteFirst_data()
    {
        QTest::addColumn<uint>("word");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("zero") << 0x0000u << QByteArray("set SPI0CS0DATA=020000");
        QTest::newRow("edges") << 0x8001u << QByteArray("set SPI0CS0DATA=028001");
        QTest::newRow("lower case") << 0xABCDu << QByteArray("set SPI0CS0DATA=02abcd");
    }

    void sendsHighByteFirst()
    {
        QFETCH(uint, word);
        QFETCH(QByteArray, line);
        QVERIFY(sendWord(word));
        QCOMPARE(f.take(), (QList<QByteArray>{line, Get}));
    }

    // The chip answers each frame during the next one: a write then a read of register 3.
    void chipAnswersOneFrameLater()
    {
        const int violations = int(f.spi.violations().size());
        QVERIFY(sendWord(0x9D55)); // write 0x155 to register 3
        QCOMPARE(f.spi.kvl52205Register(3), quint16(0x155));
        QVERIFY(sendWord(0x0E00)); // read register 3
        QCOMPARE(spiOut(), 0x0155u);
        QVERIFY(sendWord(0x4C00)); // read register 0x13, answered by the next frame
        QCOMPARE(spiOut(), 0x0155u);
        QVERIFY(sendWord(0x4C00));
        QCOMPARE(spiOut(), 0x00A0u);
        QCOMPARE(f.spi.violations().size(), violations);
    }

    void answers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("word"); // -1: the transfer fails
        QTest::newRow("upper case") << QByteArray("SPI0CS0DATA=02BEEF") << 0xBEEF;
        QTest::newRow("lower case") << QByteArray("SPI0CS0DATA=02beef") << 0xBEEF;
        QTest::newRow("digit edges") << QByteArray("SPI0CS0DATA=02a9F0") << 0xA9F0;
        QTest::newRow("letter edges") << QByteArray("SPI0CS0DATA=020fAf") << 0x0FAF;
        QTest::newRow("one byte") << QByteArray("SPI0CS0DATA=01ef") << 0xEF;
        QTest::newRow("count not checked") << QByteArray("SPI0CS0DATA=07beef") << 0xBEEF;
        QTest::newRow("first token wins")
            << QByteArray("SPI0CS0DATA=020001 SPI0CS0DATA=020002") << 0x0001;
        QTest::newRow("not hexadecimal") << QByteArray("SPI0CS0DATA=02zz") << -1;
        QTest::newRow("sign") << QByteArray("SPI0CS0DATA=02+bee") << -1;
        QTest::newRow("count only") << QByteArray("SPI0CS0DATA=02") << -1;
        QTest::newRow("empty value") << QByteArray("SPI0CS0DATA=") << -1;
        QTest::newRow("wider than the word") << QByteArray("SPI0CS0DATA=03abcdef") << -1;
        QTest::newRow("other name") << QByteArray("SPI0CS1DATA=02beef") << -1;
        QTest::newRow("error") << QByteArray("SPI0CS0DATA=err") << -1;
    }

    void answers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(int, word);
        f.spi.scriptAnswer("SPI0CS0DATA", answer);
        if (word < 0) {
            checkFailedTransfer(0x1111);
        } else {
            QSignalSpy log(spiRaw, &Applet::signal_log);
            QVERIFY(sendWord(0x1111));
            QCOMPARE(spiOut(), quint32(word));
            QCOMPARE(log.size(), 0);
        }
        QCOMPARE(f.take(), (QList<QByteArray>{"set SPI0CS0DATA=021111", Get}));
    }

    // A refused set sends no get; the "Transfer" command still answers true.
    void refusedSet()
    {
        FakeBoard refusing;
        FakeBoardSpi spi(refusing);
        refusing.refuse("SPI0CS0DATA");
        QVERIFY(f.connectTo(refusing));
        checkFailedTransfer(0xABCD);
        QCOMPARE(SpiAppFixture::take(refusing), QList<QByteArray>{"set SPI0CS0DATA=02abcd"});
        QCOMPARE(spiRaw->run("Transfer", QVariant()), QVariant(true));
        QVERIFY(f.connectTo(f.board));
    }

    void disconnectedSendsNothing()
    {
        f.app->disconnectBoard();
        checkFailedTransfer(0xABCD);
        QCOMPARE(spiRaw->run("Transfer", QVariant()), QVariant(true));
        QVERIFY(f.connectTo(f.board));
        QVERIFY(f.take().isEmpty());
    }

    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("result");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("lower case") << "transfer" << false << QByteArray();
        QTest::newRow("trailing blank") << "Transfer " << false << QByteArray();
        QTest::newRow("with brackets") << "Transfer()" << false << QByteArray();
        QTest::newRow("empty") << "" << false << QByteArray();
        QTest::newRow("speed") << "setSPIFreq" << true << QByteArray("set SPI0CS0SPEED=300000");
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(bool, result);
        QFETCH(QByteArray, line);
        f.checkCommand(spiRaw, command, result, line);
    }

    void speed_data()
    {
        QTest::addColumn<int>("kHz");
        QTest::addColumn<QByteArray>("hertz");
        QTest::newRow("lowest") << 1 << QByteArray("1000");
        QTest::newRow("highest") << 10000 << QByteArray("10000000");
    }

    void speed()
    {
        QFETCH(int, kHz);
        QFETCH(QByteArray, hertz);
        QVERIFY(spiRaw->set("SPIFreq", kHz, Variable::OutsideKey));
        QVERIFY(f.take().isEmpty()); // a changed item sends nothing by itself
        QCOMPARE(spiRaw->run("setSPIFreq", QVariant()), QVariant(true));
        QCOMPARE(f.take(), QList<QByteArray>{"set SPI0CS0SPEED=" + hertz});
        QCOMPARE(f.board.value("SPI0CS0SPEED"), hertz);
    }

    void bindingNames()
    {
        QStringList expected{"SPIFreq", "SpiIn[15:0]", "SpiOut[15:0]", "setSPIFreq", "Transfer"};
        for (int k = 0; k < 16; ++k)
            expected << QString("SpiIn[%1]").arg(k) << QString("SpiOut[%1]").arg(k);
        QStringList found = spiRaw->controlNames();
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }

    // A bit box writes its bit and refreshes the edit; the button sends the word and the
    // answer reaches the form.
    void formDrivesTheTransfer()
    {
        QVERIFY(sendWord(0x0000));
        f.take();
        auto *box = spiRaw->findChild<CustomControls::CheckBox *>("cbSpiIn_15");
        auto *edit = spiRaw->findChild<CustomControls::LineEdit *>("leSpiIn_15_0");
        auto *button = spiRaw->findChild<CustomControls::PushButton *>("pbSpiRaw_Transfer");
        QVERIFY(box && edit && button);
        box->click();
        QCOMPARE(edit->value(), double(0x8000));
        QVERIFY(f.take().isEmpty()); // a changed word waits for "Transfer"
        f.spi.scriptAnswer("SPI0CS0DATA", "SPI0CS0DATA=02a005");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(f.take(), (QList<QByteArray>{"set SPI0CS0DATA=028000", Get}));
        auto *outBox = spiRaw->findChild<CustomControls::CheckBox *>("cbSpiOut_13");
        auto *outEdit = spiRaw->findChild<CustomControls::LineEdit *>("leSpiOut_15_0");
        QVERIFY(outBox && outEdit);
        QVERIFY(outBox->isChecked());
        QCOMPARE(outEdit->value(), double(0xA005));
    }

    // The global pointers follow the applets' lives.
    void cleanupTestCase()
    {
        f.app->shutdown();
        QVERIFY(!spiRaw);
        QVERIFY(!spiRaw4B);
    }
};

QTEST_MAIN(TestSpiRaw)
#include "tst_spiraw.moc"
